"""Wine: a fresh prefix with a persistent wineserver for the Windows build,
and the process that runs its exe."""

import os
import shutil
import subprocess
import time

from common import ROOT, log


def exe_pid(folder, launcher):
    """The process running kelvory.exe from folder, or the launcher's own
    when none shows within 10 s."""
    for _ in range(200):
        for d in os.listdir("/proc"):
            if not d.isdigit():
                continue
            try:
                with open(f"/proc/{d}/cmdline", "rb") as f:
                    argv0 = f.read().split(b"\0")[0].decode(errors="replace")
            except OSError:
                continue
            if argv0.lower().endswith("kelvory.exe") and folder.lower() in argv0.lower().replace("\\", "/") or \
                    (argv0.lower().endswith("kelvory.exe") and int(d) == launcher):
                return int(d)
        time.sleep(0.05)
    return launcher


def start_wine(env, work, R):
    """A fresh prefix and a persistent wineserver; returns (server, wineserver
    path, targets), or None when there is no Wine or no exe."""
    wine = shutil.which("wine") or shutil.which("wine64") or (
        "/usr/lib/wine/wine64" if os.access("/usr/lib/wine/wine64", os.X_OK) else None)
    wsrv = shutil.which("wineserver") or (
        "/usr/lib/wine/wineserver" if os.access("/usr/lib/wine/wineserver", os.X_OK) else None)
    exe = os.path.join(ROOT, "build/bench-win/src/platform/win32/kelvory.exe")
    if not (wine and wsrv and os.path.exists(exe)):
        R["notes"].append("Wine rows skipped (no wine, or no kelvory.exe built).")
        return None
    env.update(WINEPREFIX=os.path.join(work, "prefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    log("booting a fresh Wine prefix")
    subprocess.run([wine, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=300)
    subprocess.run([wsrv, "-w"], env=env, timeout=120)
    # A persistent server: every start-up finds Wine warm, as on a desktop in use.
    server = subprocess.Popen([wsrv, "-f", "-p"], env=env)
    time.sleep(0.5)
    targets = {}
    for name, path in (("wine", exe), ("wine-polling", os.path.join(
            ROOT, "build/bench-win/bench/kelvory-polling.exe"))):
        targets[name] = {"name": name, "kind": "wine", "path": path, "wine": wine}
    return server, wsrv, targets


def stop_wine(wine, env):
    server, wsrv, _ = wine
    subprocess.run([wsrv, "-k"], env=env, check=False)
    try:
        server.wait(10)
    except subprocess.TimeoutExpired:
        server.kill()
