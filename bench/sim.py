"""The simulated desktop's speed: kelvory-sim playing bench/play.txt for the
given virtual hours."""

import os
import subprocess
import tempfile
import time

from common import BENCH, ROOT


def fs_type(path):
    """The type of the file system path lies on, from /proc/mounts."""
    best, kind = "", "?"
    path = os.path.realpath(path)
    with open("/proc/mounts") as f:
        for line in f:
            parts = line.split()
            mnt = parts[1]
            if (path == mnt or path.startswith(mnt.rstrip("/") + "/")) and len(mnt) >= len(best):
                best, kind = mnt, parts[2]
    return kind


def measure_sim(hours):
    sim = os.path.join(ROOT, "build/bench-qt/kelvory-sim")
    script = os.path.join(BENCH, "play.txt")
    until = str(int(hours * 3600 * 1000))
    # The simulator saves the counts after every catch, as the toy does; where
    # that file lives decides much of the wall time, so both kinds are shown.
    shm = "/dev/shm" if os.path.isdir("/dev/shm") and fs_type("/dev/shm") == "tmpfs" else None
    disk = tempfile.gettempdir()
    modes = []
    if shm:
        modes.append(("quiet", "--quiet, settings on tmpfs", ["--quiet"], shm))
    modes.append(("disk", f"--quiet, settings on {fs_type(disk)}", ["--quiet"], disk))
    modes.append(("trace", "trace streamed to /dev/null", [], shm or disk))
    out = {"modes": []}
    for key, label, args, base in modes:
        best = None
        for _ in range(5):
            with tempfile.TemporaryDirectory(dir=base) as d:
                t0 = time.monotonic()
                subprocess.run([sim, "--dir", d, "--until", until, *args, script],
                               stdout=subprocess.DEVNULL, check=True)
                dt = time.monotonic() - t0
            best = dt if best is None else min(best, dt)
        out[key] = {"label": label, "wall_s": best, "vh_per_s": hours / best}
        out["modes"].append(key)
    # How much play the script makes: every catch is a cast, a bite and a fight.
    with tempfile.TemporaryDirectory() as d:
        r = subprocess.run([sim, "--dir", d, "--until", until, script], capture_output=True,
                           text=True, check=True)
    out["catches"] = r.stdout.count('"load","win":"frmFish"')
    out["lines"] = r.stdout.count("\n")
    out["saves"] = r.stdout.count('"ev":"write"')
    return out
