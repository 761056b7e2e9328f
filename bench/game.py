"""Driving the game: one running copy of the program in a folder of its own,
the trace it writes, the pixels that show its state, and the input that
plays it."""

import os
import re
import shutil
import signal
import statistics
import subprocess
import tempfile
import time

import wine
from sampling import Cpu, alive, find_pid

REEL = (75, 1072)      # the reel button on the panel
BOAT = (90, 1073)      # a pixel of the angler's boat: the angler is drawn
BLUE, RED, GREEN = 0x0000FF, 0xFF0000, 0x00A000
TRACE_RE = re.compile(r"kelvory: (\d+) ms ([a-z-]+)")


def press(screen):
    screen.button(REEL, True)


def release(screen):
    screen.button(REEL, False)


def click(screen):
    press(screen)
    release(screen)


class Trace:
    """Follows the KELVORY_TRACE lines the program writes to stderr, with the
    wall time each was first seen."""

    def __init__(self, path):
        self.path = path
        self.pos = 0
        self.partial = ""
        self.events = []  # (program ms, name, wall seen)

    def poll(self):
        try:
            with open(self.path, errors="replace") as f:
                f.seek(self.pos)
                chunk = f.read()
                self.pos = f.tell()
        except OSError:
            return []
        text = self.partial + chunk
        lines = text.split("\n")
        self.partial = lines.pop()
        now = time.monotonic()
        new = []
        for line in lines:
            m = TRACE_RE.search(line)
            if m:
                new.append((int(m.group(1)), m.group(2), now))
        self.events.extend(new)
        return new

    def times(self, name):
        return [e[0] for e in self.events if e[1] == name]


class App:
    """One running copy of a program in a fresh folder of its own."""

    def __init__(self, target, ctx, trace=True):
        self.target = target
        self.ctx = ctx
        self.dir = tempfile.mkdtemp(dir=ctx.work, prefix=target["name"] + "-")
        exe = os.path.join(self.dir, os.path.basename(target["path"]))
        shutil.copy2(target["path"], exe)
        # The Wayland desktop's module, where the program looks for it.
        module = os.path.join(os.path.dirname(target["path"]), "kelvory-wayland.so")
        if target["kind"] == "qt" and os.path.exists(module):
            shutil.copy2(module, self.dir)
        # A portable copy: a KVY.ini beside the program keeps its catches here.
        open(os.path.join(self.dir, "KVY.ini"), "w").close()
        self.env = dict(ctx.env)
        xdg = os.path.join(self.dir, "xdg")
        os.mkdir(xdg, 0o700)
        self.env["XDG_RUNTIME_DIR"] = xdg
        if trace:
            self.env["KELVORY_TRACE"] = "1"
        else:
            self.env.pop("KELVORY_TRACE", None)
        self.tracefile = os.path.join(self.dir, "trace.log")
        cmd = [target["wine"], exe] if target["kind"] == "wine" else [exe]
        self.started = time.monotonic()
        self.proc = subprocess.Popen(cmd, cwd=self.dir, env=self.env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=open(self.tracefile, "w"))
        self.trace = Trace(self.tracefile)
        self._pid = None

    @property
    def pid(self):
        """The process that runs the game: under Wine, the exe's own."""
        if self._pid:
            return self._pid
        if self.target["kind"] != "wine":
            self._pid = self.proc.pid
            return self._pid
        self._pid = wine.exe_pid(self.dir, self.proc.pid)
        return self._pid

    def cpu(self):
        side = find_pid("wineserver") if self.target["kind"] == "wine" else None
        return Cpu(self.pid, self.ctx.xserver, side)

    def wait_drawn(self, screen, timeout=60.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if screen.pixel(*BOAT) == GREEN:
                return time.monotonic() - self.started
            if self.proc.poll() is not None:
                return None
            time.sleep(0.001)
        return None

    def catches(self):
        try:
            with open(os.path.join(self.dir, "KVY.ini"), errors="replace") as f:
                m = re.search(r"Tyouka=([0-9A-F]+)", f.read())
                return m.group(1) if m else ""
        except OSError:
            return ""

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if self._pid and self._pid != self.proc.pid and alive(self._pid):
            os.kill(self._pid, signal.SIGKILL)


def wait_gone(screen, timeout=10.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end and screen.pixel(*BOAT) == GREEN:
        time.sleep(0.01)


def spans(ts, limit):
    """Gaps between consecutive moments, leaving out the breaks between runs."""
    return [b - a for a, b in zip(ts, ts[1:]) if b - a <= limit]


def stats(xs):
    if not xs:
        return None
    xs = sorted(xs)
    p95 = xs[min(len(xs) - 1, max(0, int(round(0.95 * len(xs))) - 1))]
    return {"median": statistics.median(xs), "p95": p95, "n": len(xs)}


def timing(trace):
    ev = trace.events
    windows = []
    for i, e in enumerate(ev):
        if e[1] == "bite":
            nxt = next((x for x in ev[i + 1:] if x[1] in ("strike-closed", "bite")), None)
            if nxt and nxt[1] == "strike-closed":
                windows.append(nxt[0] - e[0])
    return {
        "meter": stats(spans(trace.times("meter"), 100)),
        "flight": stats(spans(trace.times("flight"), 100)),
        "fight": stats(spans(trace.times("fight"), 300)),
        "strike": stats(windows),
    }
