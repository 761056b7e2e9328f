"""Sampling: CPU time and memory of processes from /proc, and summaries of
the CPU windows taken."""

import os
import statistics
import time


def cpu_ns(pid):
    """CPU time the process has run, in ns, summed over its threads: the
    scheduler's own count, not 10 ms ticks (threads that ended are lost)."""
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return 0
    for tid in tasks:
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total


def status(pid, key):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])  # kB
    except OSError:
        pass
    return None


def memory(pid):
    """Peak resident (VmHWM) and private memory now, in kB. Private is the
    anonymous memory (heap, stacks): smaps' Private_* would also count every
    library page no other process happens to map at that moment."""
    anon = status(pid, "RssAnon")
    return {"vmhwm_kb": status(pid, "VmHWM"), "private_kb": anon,
            "rss_file_kb": status(pid, "RssFile")}


def alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except OSError:
        return False


def find_pid(comm_prefix):
    for d in os.listdir("/proc"):
        if d.isdigit():
            try:
                with open(f"/proc/{d}/comm") as f:
                    if f.read().strip().startswith(comm_prefix):
                        return int(d)
            except OSError:
                pass
    return None


class Cpu:
    """CPU shares, in percent of one core, of the program, the X server and
    (under Wine) wineserver, from construction until share() is called."""

    def __init__(self, pid, xserver, side=None):
        self.pids = {"client": pid, "x": xserver, "side": side}
        self.t0 = time.monotonic()
        self.n0 = {k: cpu_ns(p) for k, p in self.pids.items() if p}

    def share(self):
        wall = time.monotonic() - self.t0
        out = {"wall": wall}
        for k, p in self.pids.items():
            if p:
                # A thread that ended takes its time with it: a window that
                # shrank is lost rather than shown as negative.
                spent = cpu_ns(p) - self.n0[k]
                out[k] = spent / 1e9 / wall * 100.0 if spent >= 0 else None
        return out


class Grouper:
    """Gathers short CPU windows (fights, fish shown) into repetitions of at
    least dur seconds each, weighting each window by its length."""

    def __init__(self, dur):
        self.dur = dur
        self.done = []
        self.open = {}

    def add(self, share):
        w = share["wall"]
        for k, v in share.items():
            if v is not None:
                self.open[k] = self.open.get(k, 0.0) + (w if k == "wall" else v * w)
        if self.open["wall"] >= self.dur:
            self.close()

    def close(self):
        if self.open:
            w = self.open["wall"]
            self.done.append({k: (w if k == "wall" else v / w) for k, v in self.open.items()})
            self.open = {}

    def count(self):
        return len(self.done)


def spread(windows, key):
    """Median, lowest and highest of one figure over the repetitions."""
    if key == "sum":
        xs = [w["client"] + w["x"] for w in windows or []
              if w.get("client") is not None and w.get("x") is not None]
    else:
        xs = [w[key] for w in windows or [] if w.get(key) is not None and w[key] >= 0]
    if not xs:
        return None
    return statistics.median(xs), min(xs), max(xs)


def median_of(windows, key):
    s = spread(windows, key)
    return None if s is None else s[0]
