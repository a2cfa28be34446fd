#!/bin/bash
# The dry-run one-shot (`vespern SHUTDOWN.link` with VESPERN_DRY_RUN=1, headless) with an
# options file of 20,000 keys side by side with a small one, in the same run: the median wall
# time of each and the difference, which must stay under 0.3 s, and the CPU time beside it (on
# a busy machine the wall time grows with the wait for a processor).
#
#   bench/registry_oneshot.sh            (RUNS=7 BUILD_DIR=build by default)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build}
runs=${RUNS:-7}

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target vespern >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

/usr/bin/python3 - "$build/vespern" "$work" "$runs" <<'PY'
import os, resource, statistics, subprocess, sys, time

program, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
options = "[HKEY_CLASSES_ROOT\\vespern\\setting]\n" + "".join(
    f'"{name}"="0"\n' for name in ("start up", "empty recycle bin", "stay on top", "sistemkey", "run program",
                                   "hideshutdown", "hidelogoff")) + '"program"=""\n\n'
header = "Windows Registry Editor Version 5.00\n\n"
many = "".join(f"[HKEY_CLASSES_ROOT\\.ext{i}]\n@=\"type{i}\"\n\n" for i in range(20000))
files = {"small": header + options, "20,000 keys": header + many + options}

homes = {}
for label, content in files.items():
    home = os.path.join(work, label.replace(",", "").replace(" ", "-"))
    os.makedirs(os.path.join(home, "registry"))
    with open(os.path.join(home, "registry", "HKEY_CLASSES_ROOT.reg"), "w") as handle:
        handle.write(content)
    homes[label] = home

def once(home):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"), XDG_CACHE_HOME=os.path.join(home, "cache"),
               XDG_RUNTIME_DIR=home, VESPERN_REGISTRY_DIR=os.path.join(home, "registry"), VESPERN_DRY_RUN="1",
               QT_QPA_PLATFORM="offscreen")
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run([program, os.path.join(home, "SHUTDOWN.link")], env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=60)
    elapsed = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0 or "ExitWindowsEx uFlags=1" not in done.stderr:
        sys.exit(f"the one-shot failed ({done.returncode}): {done.stderr}")
    cpu = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
    return elapsed, cpu

times = {label: [] for label in homes}
once(homes["small"])  # warms the caches of the program and its libraries
for _ in range(runs):
    for label, home in homes.items():
        times[label].append(once(home))
wall = {label: statistics.median(run[0] for run in values) for label, values in times.items()}
cpu = {label: statistics.median(run[1] for run in values) for label, values in times.items()}
size = os.path.getsize(os.path.join(homes["20,000 keys"], "registry", "HKEY_CLASSES_ROOT.reg"))
print(f"dry-run one-shot, median of {runs}; load: {open('/proc/loadavg').read().split()[0]}")
print(f"                              wall      CPU")
print(f"  small options file:         {wall['small']:.3f} s   {cpu['small']:.3f} s")
print(f"  20,000-key options file:    {wall['20,000 keys']:.3f} s   {cpu['20,000 keys']:.3f} s  ({size / 1e6:.1f} MB)")
difference = wall["20,000 keys"] - wall["small"]
print(f"  difference:                 {difference:+.3f} s  {cpu['20,000 keys'] - cpu['small']:+.3f} s"
      "  (target: under 0.3 s of wall time)")
sys.exit(0 if difference < 0.3 else 1)
PY
