"""The report: Markdown tables of every measure with its target and verdict,
written to bench/results.md, with the raw numbers in bench/results.json."""

import json
import os
import platform
import statistics
import time

from common import BENCH
from peers import PEERS
from sampling import median_of, spread


def machine():
    cpu = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    return {"cpu": cpu, "cores": os.cpu_count(), "kernel": platform.release(),
            "date": time.strftime("%Y-%m-%d %H:%M:%S %Z")}


def verdict(ok):
    return "n/a" if ok is None else ("pass" if ok else "**MISS**")


def cell(windows, key, nd=3):
    s = spread(windows, key)
    if s is None:
        return "n/a"
    med, lo, hi = s
    return f"{med:.{nd}f} %" + (f" ({lo:.{nd}f}–{hi:.{nd}f})" if len(windows) > 1 else "")


def ratio(a, b):
    if a is None or b is None:
        return "n/a"
    if b == 0:
        return "both 0" if a == 0 else "peer at 0"
    r = a / b
    return f"{r:.2f}x" if r < 10 else f"{r:.0f}x"


def mb(kb):
    return "n/a" if kb is None else f"{kb / 1024:.1f} MB"


# Which peer states each phase of play is set beside.
PEER_PHASES = {"idle": ("xteddy", "oneko"), "bobbing": ("xteddy", "oneko"), "fight": ("xpenguins",)}
# What each phase must come to, the program plus the X server: at most the
# named toy plus the X server, or a share of one core. Idle sits beside
# xteddy, which never wakes, so it has a fixed share instead.
PEER_TARGETS = {"idle": 0.01, "bobbing": "oneko", "fight": "xpenguins"}
PRIVATE_TARGET_KB = 2 * 1024
# The toys Kelvory is compared with; the empty Qt window is shown, not compared.
TOYS = {n for names in PEER_PHASES.values() for n in names}
PHASE_LABELS = {"idle": "idle, no line out", "bobbing": "line out, float bobbing",
                "meter": "meter running", "fight": "fight held (real input)",
                "fish": "fish on display (3 s)"}


def peer_rows(R):
    """Kelvory (Qt) beside the Debian toys: client plus X server per phase."""
    s = R["sessions"].get("qt")
    peers = R.get("peers", {})
    if not s or not peers:
        return [], []
    rows = []
    for phase, names in PEER_PHASES.items():
        ours = s["phases"].get(phase)
        mine = median_of(ours, "sum")
        cand = [(median_of(peers[n]["phases"]["run"], "sum"), n) for n in names if peers.get(n)]
        cand = [c for c in cand if c[0] is not None]
        if not cand:
            continue
        best, who = min(cand)
        target = PEER_TARGETS[phase]
        if isinstance(target, str):
            limit = next((v for v, n in cand if n == target), None)
            wanted = f"<= {target} + X"
        else:
            limit, wanted = target, f"<= {target} %"
        # Against each peer: a peer at 0 has no ratio, so the other shows.
        each = "; ".join(f"{n} at 0" if v == 0 else f"{ratio(mine, v)} of {n}"
                         for v, n in cand) if len(cand) > 1 else ratio(mine, best)
        rows.append((PHASE_LABELS[phase], ", ".join(f"{n} ({PEERS[n][1].split(':')[0]})"
                                                    for n in names if peers.get(n)),
                     cell(ours, "client"), cell(ours, "x"), cell(ours, "sum"),
                     f"{best:.3f} % ({who})", each, wanted,
                     verdict(None if mine is None or limit is None else mine <= limit)))
    mem = [("Kelvory (Qt), whole session", s)] + [
        (f"{n}, {PEERS[n][1]}", p) for n, p in peers.items() if p]
    best_private = min((p["private_kb"] for n, p in peers.items()
                        if n in TOYS and p and p.get("private_kb")), default=None)
    table = []
    for label, p in mem:
        run = p["phases"].get("run")
        table.append((label, cell(run, "client") if run else "see above",
                      cell(run, "x") if run else "", cell(run, "sum") if run else "",
                      mb(p.get("vmhwm_kb")), mb(p.get("private_kb"))))
    ours = s.get("private_kb")
    if ours is not None:
        rows.append(("private memory", "all three", "", "", "", mb(best_private),
                     ratio(ours, best_private), f"<= {mb(PRIVATE_TARGET_KB)}",
                     verdict(ours <= PRIVATE_TARGET_KB)))
    return rows, table


def cpu_rows(R):
    rows = []  # (measure, target, value, polling, ratio, verdict)
    cpu_targets = {"idle": 0.2, "bobbing": 1.0, "meter": None, "fight": 3.0, "fish": None}
    for kind, title in (("qt", "Qt"), ("wine", "Wine exe")):
        s = R["sessions"].get(kind)
        if not s:
            continue
        if s.get("exited") and f"{title}: {s['exited']}" not in R["notes"]:
            R["notes"].append(f"{title}: {s['exited']}")
        p = (R["sessions"].get(kind + "-polling") or {}).get("phases", {})
        for k, lim in cpu_targets.items():
            ours, theirs = s["phases"].get(k), p.get(k)
            v, pv = median_of(ours, "client"), median_of(theirs, "client")
            vtxt, pvtxt = cell(ours, "client"), cell(theirs, "client", 1)
            if median_of(ours, "side") is not None:
                vtxt += f" (+ wineserver {cell(ours, 'side', 2)})"
            if median_of(theirs, "side") is not None:
                pvtxt += f" (+ wineserver {cell(theirs, 'side', 1)})"
            rows.append((f"CPU {PHASE_LABELS[k]} ({title})", f"<= {lim} %" if lim else "-", vtxt,
                         pvtxt, ratio(pv, v),
                         verdict(None if lim is None or v is None else v <= lim)))
    return rows


def wayland_rows(R):
    """The Wayland row beside the X one: the program plus what it costs its
    compositor (sway headless, pixman: its share less its share alone in the
    same state) against the program plus the X server."""
    w, q = R["sessions"].get("wayland"), R["sessions"].get("qt")
    if not w:
        return []
    rows = []
    solo = w.get("alone", {})
    for phase, base in (("idle", "idle"), ("bobbing", "idle"), ("fight", "reads")):
        ours = w["phases"].get(phase)
        client, comp = median_of(ours, "client"), median_of(ours, "x")
        x = (q or {}).get("phases", {}).get(phase)
        alone = solo.get(base)
        part = None if comp is None or alone is None else max(0.0, comp - alone)
        total = None if part is None or client is None else client + part
        rows.append((PHASE_LABELS[phase], cell(ours, "client"), cell(ours, "x"),
                     "n/a" if alone is None else f"{alone:.3f} %",
                     "n/a" if total is None else f"{total:.3f} %",
                     cell(x, "sum") if x else "n/a", ratio(total, median_of(x, "sum"))))
    rows.append(("private memory", mb(w.get("private_kb")), "", "", "",
                 mb((q or {}).get("private_kb")), ratio(w.get("private_kb"), (q or {}).get("private_kb"))))
    return rows


def startup_memory_rows(R):
    rows = []
    for kind, title in (("qt", "Qt"), ("wine", "Wine")):
        st = R["startup"].get(kind)
        if st:
            med = statistics.median(st)
            lim = 200
            rows.append((f"Start-up to angler drawn ({title}, median of {len(st)})", f"< {lim} ms",
                         f"{med:.0f} ms (min {min(st):.0f}, max {max(st):.0f})", "", "",
                         verdict(med < lim)))
    for kind, title, lim in (("qt", "Qt kelvory", 40), ("wine", "kelvory.exe under Wine", 10)):
        s = R["sessions"].get(kind)
        if s and s.get("vmhwm_kb"):
            peak = s["vmhwm_kb"] / 1024
            extra = f" (private {mb(s['private_kb'])}, RssFile {mb(s['rss_file_kb'])} now)"
            if kind == "wine" and R.get("wineserver_kb"):
                extra += f"; wineserver {mb(R['wineserver_kb'])} more"
            p = R["sessions"].get(kind + "-polling") or {}
            rows.append((f"Peak memory VmHWM ({title})", f"< {lim} MB", f"{peak:.1f} MB{extra}",
                         mb(p.get("vmhwm_kb")) if p else "", "", verdict(peak < lim)))
    return rows


def timing_rows(R):
    rows = []
    nominal = {"meter": ("Meter pass period", 10), "flight": ("Flight step period", 10),
               "fight": ("Fight half-step period", 75), "strike": ("Strike window (unanswered)", 300)}
    for kind, title in (("qt", "Qt"), ("wine", "Wine")):
        s = R["sessions"].get(kind)
        if not s:
            continue
        p = (R["sessions"].get(kind + "-polling") or {}).get("timing", {})
        for k, (label, nom) in nominal.items():
            t = s["timing"].get(k)
            tol = 5 if k == "strike" else 2
            ok = None if t is None else abs(t["median"] - nom) <= tol
            if k == "strike" and t is not None:
                ok = ok and abs(t["p95"] - nom) <= tol
            val = "no samples" if t is None else f"median {t['median']:g} ms, p95 {t['p95']:g} ms (n={t['n']})"
            pt = p.get(k)
            pval = "" if pt is None else f"median {pt['median']:g}, p95 {pt['p95']:g}"
            rows.append((f"{label} ({title})", f"{nom} ± {tol} ms" + (" (median)" if k != "strike" else ""),
                         val, pval, "", verdict(ok)))
    return rows


def sim_rows(R):
    rows = []
    sim = R.get("sim")
    if sim:
        for key in sim["modes"]:
            m = sim[key]
            traced = key == "trace"
            rows.append((f"Simulator, virtual hours per second ({sim['hours']} h, {sim['catches']} "
                         f"catches, {sim['saves']} saves; {m['label']})",
                         "-" if traced else ">= 50 vh/s",
                         f"{m['vh_per_s']:.1f} vh/s ({m['wall_s']:.2f} s)", "", "",
                         "n/a" if traced else verdict(m["vh_per_s"] >= 50)))
    return rows


def kelvory_rows(R):
    """(measure, target, value, polling, ratio, verdict) for every measure of
    the program on its own."""
    return cpu_rows(R) + startup_memory_rows(R) + timing_rows(R) + sim_rows(R)


def md_table(head, rows):
    out = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    return out + ["| " + " | ".join(r) + " |" for r in rows]


def write_reports(R):
    rows = kelvory_rows(R)
    beside, peers = peer_rows(R)
    R["rows"] = [dict(zip(("measure", "target", "value", "polling_wait", "ratio", "verdict"), r))
                 for r in rows]
    R["beside_peers"] = [dict(zip(("phase", "peers", "client", "x", "sum", "best_peer", "ratio",
                                   "target", "verdict"), r)) for r in beside]
    with open(os.path.join(BENCH, "results.json"), "w") as f:
        json.dump(R, f, indent=1)
    m = R["machine"]
    load = R.get("load", {})
    md = ["# Benchmark results", "",
          f"Machine: {m['cpu']}, {m['cores']} cores, Linux {m['kernel']}; run {m['date']}; "
          f"CPU phases {R['duration']} s each, median (lowest–highest) of {R['reps']} "
          f"repetitions{' (--quick)' if R['quick'] else ''}; load average "
          f"{load.get('start', '?')} at the start, {load.get('end', '?')} at the end "
          "(other builds share the machine; per-process CPU time counts only the process).", ""]
    if beside:
        md += ["Beside the desktop toys people already run (Qt build, same screen, same run; CPU as "
               "a share of one core, the program plus the X server over the same window):", ""]
        md += md_table(("Kelvory phase", "Set beside", "Kelvory", "X server", "Kelvory + X",
                        "Best peer + X", "Ratio", "Target", "Verdict"), beside)
        md += ["", "Each program on its own:", ""]
        md += md_table(("Program", "CPU", "X server", "Sum", "Peak (VmHWM)", "Private"), peers)
        md += [""]
        wayland = wayland_rows(R)
        if wayland:
            md += ["On Wayland: the same program native on sway's layer shell (headless, drawing by "
                   "software; same screen size, no bar). sway alone: its share with no program of "
                   "ours, at rest and (for the fight) reading the reel button once a half-step as "
                   "the harness does; Kelvory + sway counts only what sway spends beyond that:", ""]
            md += md_table(("Kelvory phase", "Kelvory (Wayland)", "sway", "sway alone",
                            "Kelvory + sway", "Kelvory + X (Qt)", "Wayland / X"), wayland)
            md += [""]
        md += ["Against its own old polling wait, and the other measures:", ""]
    md += md_table(("Measure", "Target", "Blocking wait (default)", "Polling wait",
                    "Polling / blocking", "Verdict"), rows)
    md += ["", "Notes:", ""] + [f"- {n}" for n in R["notes"]]
    text = "\n".join(md) + "\n"
    with open(os.path.join(BENCH, "results.md"), "w") as f:
        f.write(text)
    print(text)
