"""The Wayland row: the same program native on sway's layer shell, headless
and drawing by software, measured with the compositor as the X rows are
measured with the X server. sway refuses to run as root: as root it runs as
nobody, and the program and the tools reach its socket by its path."""

import os
import shutil
import subprocess
import time

from common import ROOT, log
from sampling import cpu_ns
from xserver import H, W

# The fight's half-step: the harness looks at the reel button's colour
# once a step.
READ_PERIOD = 0.075

WL_INPUT = os.path.join(ROOT, "build/bench-qt/bench/wayland/wl_input")
NOBODY = 65534


class WaylandScreen:
    """Input through a virtual pointer (tests/wayland/wl_input), pixels
    through the compositor's screen copy (grim), one pixel at a time."""

    def __init__(self, env):
        self.env = env
        self.input = subprocess.Popen([WL_INPUT, "input", str(W), str(H)], env=env,
                                      stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL, text=True, bufsize=1)

    def say(self, line):
        self.input.stdin.write(line + "\n")
        self.input.stdout.readline()  # "ok" once the compositor has it

    def move(self, x, y):
        self.say(f"move {x} {y}")

    def button(self, at, down):
        self.say(f"move {at[0]} {at[1]}")
        self.say(("down" if down else "up") + " 1")

    def pixel(self, x, y):
        out = subprocess.run(["grim", "-g", f"{x},{y} 1x1", "-t", "ppm", "-"], env=self.env,
                             capture_output=True).stdout
        # "P6\n1 1\n255\n" then one pixel
        if len(out) < 3 or not out.startswith(b"P6"):
            return -1
        r, g, b = out[-3:]
        return r << 16 | g << 8 | b

    def close(self):
        self.input.stdin.close()
        self.input.wait(5)


def available():
    missing = [t for t in ("sway", "grim") if not shutil.which(t)]
    if not os.access(WL_INPUT, os.X_OK):
        missing.append(WL_INPUT)
    return missing


def start_sway(work):
    """sway headless on a screen like the X rows' one, without a bar (the X
    screen has no panel either): (the process, the environment that reaches
    it, its pid)."""
    home = os.path.join(work, "sway")
    xdg = os.path.join(home, "xdg")
    os.makedirs(xdg, mode=0o700)
    conf = os.path.join(home, "sway.conf")
    with open(conf, "w") as f:
        f.write(f"output HEADLESS-1 mode {W}x{H} bg #336699 solid_color\n"
                "default_border none\nxwayland disable\nseat * hide_cursor 100\n")
    cmd = ["sway", "-c", conf]
    if os.geteuid() == 0:
        for d in (work, home):
            os.chmod(d, 0o755)
        os.chown(xdg, NOBODY, NOBODY)
        cmd = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + cmd
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(XDG_RUNTIME_DIR=xdg, HOME=home, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
               WLR_LIBINPUT_NO_DEVICES="1")
    sway = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL,
                            stderr=open(os.path.join(work, "sway.log"), "w"))
    socket = os.path.join(xdg, "wayland-1")
    for _ in range(100):
        if os.path.exists(socket):
            break
        time.sleep(0.1)
    else:
        sway.terminate()
        raise RuntimeError("sway did not start: see sway.log")
    reach = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    reach.update(WAYLAND_DISPLAY=socket, KELVORY_DESKTOP="wayland",
                 XDG_RUNTIME_DIR=os.path.join(work, "xdg-tools"))
    os.makedirs(reach["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    return sway, reach, sway.pid


def stop_sway(sway):
    sway.terminate()
    try:
        sway.wait(5)
    except subprocess.TimeoutExpired:
        sway.kill()
        sway.wait()


def alone(pid, screen, dur):
    """sway's share with no program of ours: at rest, and reading a pixel
    once a half-step as the harness does in a fight (a screen copy costs a
    software compositor far more than a pixel costs the X server)."""
    out = {}
    for name, read in (("idle", False), ("reads", True)):
        n0, t0 = cpu_ns(pid), time.monotonic()
        while time.monotonic() - t0 < dur:
            if read:
                screen.pixel(75, 1072)
            time.sleep(READ_PERIOD if read else 0.5)
        out[name] = (cpu_ns(pid) - n0) / 1e9 / (time.monotonic() - t0) * 100.0
    return out


def wayland_session(target, make_ctx, work, reps):
    """Plays the session of the X rows on sway; the compositor stands where
    the X server stood. Then sway alone, for what is its own."""
    from session import play_session
    sway, env, pid = start_sway(work)
    screen = None
    try:
        screen = WaylandScreen(env)
        ctx = make_ctx(env, screen, pid)
        result = play_session(target, ctx, reps)
        result["alone"] = alone(pid, screen, ctx.dur)
        return result
    finally:
        if screen:
            screen.close()
        stop_sway(sway)
        log("sway stopped")
