"""Playing a session: start-ups, then one copy of the program taken through
idle, meter, bobbing, fights and fish shown, measuring each phase."""

import time

from game import BLUE, REEL, RED, TRACE_RE, App, click, press, release, timing, wait_gone
from sampling import Grouper, memory


def measure_startup(target, ctx, runs):
    times = []
    warm = 1 if target["kind"] == "wine" else 0
    for i in range(runs + warm):
        app = App(target, ctx, trace=False)
        t = app.wait_drawn(ctx.screen)
        app.stop()
        wait_gone(ctx.screen)
        if i >= warm and t is not None:
            times.append(t * 1000.0)
    return times


def sleep_polling(app, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        app.trace.poll()
        time.sleep(0.02)


def wait_quiet(app, name, quiet_s, timeout):
    """Waits until `name` has appeared and then not for quiet_s seconds."""
    end = time.monotonic() + timeout
    seen = None
    while time.monotonic() < end:
        for e in app.trace.poll():
            if e[1] == name:
                seen = time.monotonic()
        if seen is not None and time.monotonic() - seen > quiet_s:
            return True
        time.sleep(0.01)
    return False


def wait_bite(app, screen, want_unanswered, unanswered, timeout=150.0):
    """Strikes at the next bite (letting the first few go, to time the
    strike window); False when no bite came."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        for e in app.trace.poll():
            if e[1] == "bite":
                if unanswered[0] < want_unanswered:
                    unanswered[0] += 1
                    continue
                press(screen)
                return True
        time.sleep(0.002)
    return False


def follow_fight(app, screen):
    """Holds while the button is blue, lets go while it is red, until the
    half-steps stop; returns the CPU shares from the first half-step to the
    last."""
    held = True
    cpu = share = None
    last_wall = last_look = time.monotonic()
    while True:
        stepped = False
        for e in app.trace.poll():
            if e[1] == "fight":
                stepped = True
                last_wall = time.monotonic()
                if cpu is None:
                    cpu = app.cpu()
                else:
                    share = cpu.share()
        # The fight's half-steps stop when it is over; the first one comes
        # after the 500 ms "HIT!!!" pause.
        if time.monotonic() - last_wall > (1.2 if cpu is None else 0.5):
            break
        # The button changes colour on a half-step: look then (and now and
        # again in case one was missed), so the harness's own requests to
        # the X server stay few in the X server's count.
        if stepped or time.monotonic() - last_look > 0.1:
            last_look = time.monotonic()
            c = screen.pixel(*REEL)
            if c == (RED if held else BLUE):
                held = not held
                screen.button(REEL, held)
        time.sleep(0.005)
    if held:
        release(screen)
    return share


def fight_once(app, screen, want_unanswered, unanswered):
    """One bite played out: (the fight's CPU shares, landed), or None when no
    bite came."""
    if not wait_bite(app, screen, want_unanswered, unanswered):
        return None
    before = app.catches()
    share = follow_fight(app, screen)
    time.sleep(0.3)
    return share, app.catches() != before


def measure_windows(app, reps, dur):
    """reps back-to-back windows of dur seconds: each one a repetition."""
    out = []
    for _ in range(reps):
        cpu = app.cpu()
        sleep_polling(app, dur)
        out.append(cpu.share())
    return out


def cast(app):
    click(app.ctx.screen)
    sleep_polling(app, 0.3)
    click(app.ctx.screen)
    wait_quiet(app, "flight", 0.5, 20)


def fights_and_fish(app, screen, dur, reps, want_unanswered):
    """Plays fights until reps fight windows of dur seconds and reps shows
    of a caught fish (3 s each) are measured, or a time limit is reached."""
    fight, fish = Grouper(dur), Grouper(2.5)
    fights = landed = 0
    unanswered = [len(app.trace.times("strike-closed"))]
    deadline = time.monotonic() + max(8 * dur * reps, 240)
    while (fight.count() < reps or fish.count() < reps) and time.monotonic() < deadline:
        r = fight_once(app, screen, want_unanswered, unanswered)
        if r is None:
            break
        share, got = r
        fights += 1
        if share:
            fight.add(share)
        if not got:
            continue  # the float is still out: wait for the next bite
        landed += 1
        # Landing takes about a second; then the fish is shown for 3 s.
        sleep_polling(app, 1.3)
        cpu = app.cpu()
        sleep_polling(app, 3.0)
        fish.add(cpu.share())
        sleep_polling(app, 1.5)  # the fish goes, the angler sits up
        if fight.count() < reps or fish.count() < reps:
            cast(app)
    if fight.count() == 0:
        fight.close()
    if fish.count() == 0:
        fish.close()
    return {"fight": fight.done, "fish": fish.done, "fights": fights, "landed": landed}


def play_session(target, ctx, reps):
    """Idle, meter, bobbing, fight and fish phases in one copy of the program;
    each CPU phase is measured reps times."""
    res = {"phases": {}}
    app = App(target, ctx)
    try:
        if app.wait_drawn(ctx.screen) is None:
            raise RuntimeError(target["name"] + ": the angler never appeared")
        sleep_polling(app, 1.0)
        res["phases"]["idle"] = measure_windows(app, reps, ctx.dur)
        click(ctx.screen)  # starts the meter
        sleep_polling(app, 0.3)
        res["phases"]["meter"] = measure_windows(app, reps, ctx.dur)
        click(ctx.screen)  # casts
        wait_quiet(app, "flight", 0.5, 20)
        sleep_polling(app, 0.5)
        res["phases"]["bobbing"] = measure_windows(app, reps, ctx.dur)
        played = fights_and_fish(app, ctx.screen, ctx.dur, reps, ctx.unanswered)
        res["phases"]["fight"] = played.pop("fight")
        res["phases"]["fish"] = played.pop("fish")
        res.update(played)
        app.trace.poll()
        res.update(memory(app.pid))
        res["timing"] = timing(app.trace)
        if app.proc.poll() is not None:
            with open(app.tracefile, errors="replace") as f:
                tail = [l for l in f.read().splitlines() if not TRACE_RE.search(l)][-3:]
            res["exited"] = f"exited early with {app.proc.returncode}: {' / '.join(tail)}"
    finally:
        app.stop()
        wait_gone(ctx.screen)
    return res
