#!/usr/bin/env python3
"""Measures the real desktops on a virtual X screen: start-up, CPU in each
phase of play, peak memory, the game's timing moments, and the simulated
desktop's speed. Called by bench/run; writes results.json and results.md."""

import argparse
import json
import os
import shutil
import tempfile

from common import ROOT, log
from notes import add_notes
from peers import PEERS, peer_session
from report import machine, write_reports
from sampling import find_pid, median_of, status
from session import measure_startup, play_session
from sim import measure_sim
from wayland import available as wayland_missing, wayland_session
from wine import start_wine, stop_wine
from xserver import Screen, start_xvfb


class Context:
    """What every measurement shares: the screen, the folders, the phase length."""

    def __init__(self, work, env, screen, xserver, dur, unanswered):
        self.work, self.env, self.screen, self.xserver = work, env, screen, xserver
        self.dur, self.unanswered = dur, unanswered


def parse_args():
    ap = argparse.ArgumentParser()
    ap.add_argument("--duration", type=float, default=20.0)
    ap.add_argument("--reps", type=int, default=3)
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--startup-runs", type=int, default=10)
    ap.add_argument("--sim-hours", type=float, default=10.0)
    ap.add_argument("--no-wine", action="store_true")
    ap.add_argument("--no-peers", action="store_true")
    ap.add_argument("--no-wayland", action="store_true")
    a = ap.parse_args()
    if a.quick:
        a.duration = 5.0
        a.startup_runs = min(a.startup_runs, 3)
    a.reps = max(1, a.reps)
    return a


def qt_targets():
    return {name: {"name": name, "kind": "qt",
                   "path": os.path.join(ROOT, path)}
            for name, path in (("qt", "build/bench-qt/src/platform/qt/kelvory"),
                               ("qt-polling", "build/bench-qt/bench/kelvory-polling"))}


def run_sessions(ctx, targets, a, R):
    for kind in ("qt", "wine"):
        if kind in targets:
            log("start-up", kind)
            R["startup"][kind] = measure_startup(targets[kind], ctx, a.startup_runs)
    for name, t in targets.items():
        log("session", name)
        # The polling builds run flat out: one repetition shows that.
        reps = 1 if name.endswith("-polling") else a.reps
        try:
            R["sessions"][name] = play_session(t, ctx, reps)
        except Exception as e:  # one desktop failing still reports the others
            R["notes"].append(f"{name}: session failed: {e}")
            log(name, "failed:", e)
        s = R["sessions"].get(name, {})
        log(name, json.dumps({k: median_of(v, "client") for k, v in s.get("phases", {}).items()}))
    if "wine" in targets:
        pid = find_pid("wineserver")
        if pid:
            R["wineserver_kb"] = status(pid, "VmHWM")


def run_wayland(ctx, target, a, R):
    missing = wayland_missing()
    if missing:
        R["notes"].append("Wayland row left out: " + ", ".join(missing) + " missing.")
        return
    log("session wayland (sway headless)")
    try:
        R["sessions"]["wayland"] = wayland_session(
            dict(target, name="wayland"),
            lambda env, screen, pid: Context(ctx.work, env, screen, pid, ctx.dur, ctx.unanswered),
            ctx.work, a.reps)
    except Exception as e:  # the X rows still report
        R["notes"].append(f"wayland: session failed: {e}")
        log("wayland failed:", e)


def run_peers(ctx, a, R):
    R["peers"] = {}
    for name in PEERS:
        log("peer", name)
        R["peers"][name] = peer_session(name, ctx, a.reps)
        if R["peers"][name] is None:
            R["notes"].append(f"{name}: not installed, left out.")


def main():
    a = parse_args()
    R = {"machine": machine(), "duration": a.duration, "reps": a.reps, "quick": a.quick,
         "startup": {}, "sessions": {}, "notes": [],
         "load": {"start": " / ".join(f"{x:.1f}" for x in os.getloadavg())}}
    work = tempfile.mkdtemp(prefix="kelvory-bench-")
    xvfb = wine = None
    env = {}
    try:
        xvfb, display = start_xvfb(work)
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        os.environ["DISPLAY"] = display
        ctx = Context(work, env, Screen(display), xvfb.pid, a.duration, 1 if a.quick else 3)
        targets = qt_targets()
        if not a.no_wine:
            wine = start_wine(env, work, R)
            if wine:
                targets.update(wine[2])
        run_sessions(ctx, targets, a, R)
        if not a.no_wayland:
            run_wayland(ctx, targets["qt"], a, R)
        if not a.no_peers:
            run_peers(ctx, a, R)
        log("simulator")
        R["sim"] = measure_sim(a.sim_hours)
        R["sim"]["hours"] = a.sim_hours
    finally:
        if wine:
            stop_wine(wine, env)
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)
    R["load"]["end"] = " / ".join(f"{x:.1f}" for x in os.getloadavg())
    add_notes(R)
    write_reports(R)


if __name__ == "__main__":
    main()
