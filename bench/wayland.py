"""The Wayland row: the same program native on sway's layer shell, headless
and drawing by software, measured with the compositor as the X rows are
measured with the X server. sway refuses to run as root: as root it runs as
nobody, and the program and the tools reach its socket by its path."""

import os
import shutil
import subprocess
import time

from common import ROOT, log
from xserver import H, W

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


def wayland_session(target, make_ctx, work, reps):
    """Plays the session of the X rows on sway; the compositor stands where
    the X server stood."""
    sway, env, pid = start_sway(work)
    screen = None
    try:
        screen = WaylandScreen(env)
        from session import play_session
        return play_session(target, make_ctx(env, screen, pid), reps)
    finally:
        if screen:
            screen.close()
        stop_sway(sway)
        log("sway stopped")
