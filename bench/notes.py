"""The notes under the tables: how each figure is taken, and why a target
is missed where the reason is known."""

from sampling import median_of

WINE_REDRAW_NOTE = (
    "Wine fight and step misses: each half-step reshapes and repaints the angler, the float and "
    "the fish; under Wine every one of those goes through wineserver and Wine's X11 driver "
    "(region to XShape, bitmap to the X server), which costs several ms of the step's time and "
    "most of the fight's CPU. The figures vary from run to run on this shared two-core machine; "
    "the same code on the Qt desktop meets every target.")


def add_notes(R):
    R["notes"] += [
        "CPU is the scheduler's run time in ns (/proc/<pid>/task/*/schedstat, summed over the "
        "threads) over the phase, as a share of one core. The X server column is Xvfb's own over "
        "the same window: it does the drawing, shaping and moving for every client.",
        "Peers, each alone on the same screen after Kelvory's sessions: xteddy shows a still "
        "shaped window and does nothing; oneko's cat runs to the pointer (left still mid-screen) "
        "and sleeps, waking on its 125 ms timer to look for the pointer; xpenguins' penguins walk, "
        "climb and fall along the foot of the screen (its default theme), redrawing every frame. "
        "An empty Qt window with a 1 s timer (bench/empty_qt_window.cpp) runs the same way: not a "
        "toy, but the least any Qt program costs, idle and in memory.",
        "Idle and bobbing are set beside oneko asleep and xteddy (programs that sit on the desktop "
        "doing little); a fight, which redraws the angler, the float and the fish every half-step, "
        "beside xpenguins walking.",
        "In the fight phase the harness itself presses and releases the button (XTest on its own "
        "connection) and reads the button's pixel after each half-step; those few requests are "
        "in the X server's figure.",
        "Private memory is RssAnon from /proc/<pid>/status at the end of the session (heap and "
        "stacks); VmHWM, the peak, also counts the shared libraries' pages (Qt's, for Kelvory).",
        "Fight CPU is taken between the first and the last fight half-step of each fight, fights "
        "gathered into repetitions of at least the phase length; the fish-on-display window is "
        "the 3 s the caught fish is shown, starting 1.3 s after the last half-step, one "
        "repetition per catch.",
        "Under Wine the CPU and memory are those of the kelvory.exe process; wineserver's share "
        "is beside it.",
        "Start-up: from spawning the process to the angler's boat pixel (90,1073) turning green, "
        "read from the X server every ~1 ms. Wine start-ups use a warm, persistent wineserver; "
        "the first (cold) run is left out.",
        "Timing from the KELVORY_TRACE millisecond stamps of the default (blocking) build; the "
        "polling column shows the same for the polling build.",
        "Simulator: best of five runs, each in a fresh settings folder. With the trace off no "
        "line is formatted; the wall time is the game's own work plus one settings save per catch.",
    ]
    disk = R.get("sim", {}).get("disk")
    if disk and disk["vh_per_s"] < 50:
        R["notes"].append(
            f"Simulator on {disk['label'].split(' on ')[-1]}: each save renames a new file over "
            "the old one, and the file system starts writing the new file's data at that rename "
            "(ext4's replace-by-rename safeguard), so the run waits on the disk rather than the "
            "CPU; a settings folder on tmpfs takes that wait away.")
    w = R["sessions"].get("wine")
    if w and (median_of(w["phases"].get("fight"), "client") or 0) > 3.0:
        R["notes"].append(WINE_REDRAW_NOTE)
    if w and w.get("vmhwm_kb") and w["vmhwm_kb"] > 10 * 1024:
        R["notes"].append(
            "kelvory.exe memory: VmHWM counts Wine's own libraries mapped into the process "
            "(RssFile); its private memory is partly Wine's own heaps.")
