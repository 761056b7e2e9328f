"""The desktop toys from Debian that Kelvory is set beside, each run alone
on the same screen."""

import os
import subprocess
import time

from common import ROOT
from sampling import Cpu, memory
from xserver import H, W

PEERS = {  # name -> (command, what it does while measured)
    "xteddy": (["/usr/games/xteddy"], "a still shaped window"),
    "oneko": (["/usr/games/oneko"], "asleep: the cat has reached the still pointer"),
    "xpenguins": (["/usr/bin/xpenguins", "-q"], "walking: penguins along the screen's foot"),
    # Not a toy and not compared with: the floor under any Qt program, built
    # by bench/build.sh.
    "empty-qt-window": ([os.path.join(ROOT, "build/bench-qt/bench/empty-qt-window")],
                        "an empty Qt window and a 1 s timer, nothing drawn: Qt's own floor"),
}


def peer_session(name, ctx, reps):
    """One desktop toy from Debian on the same screen, left alone: its CPU
    phase reps times and its memory at the end."""
    cmd, _ = PEERS[name]
    if not os.access(cmd[0], os.X_OK):
        return None
    ctx.screen.move(W // 2, H // 2)
    proc = subprocess.Popen(cmd, env=ctx.env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # The cat runs to the pointer, sits, yawns and falls asleep in a few
        # seconds; the others are in their steady state at once.
        time.sleep(12.0 if name == "oneko" else 2.0)
        windows = []
        for _ in range(reps):
            cpu = Cpu(proc.pid, ctx.xserver)
            time.sleep(ctx.dur)
            windows.append(cpu.share())
        res = {"phases": {"run": windows}, "exited": proc.poll() is not None}
        res.update(memory(proc.pid))
        return res
    finally:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
