#!/bin/bash
# Start-up time and memory of the Linux program next to the Windows program under Wine, side by
# side in one run, as a table for the README.
#
# Usage: bench/startup_memory_wine.sh [LINUX-VESPERN] [VESPERN-EXE] [RUNS]
#        (defaults build/vespern, build-windows/vespern.exe, 5 runs)
#
# Each program runs RUNS times one-shot with the desktop action file name "SHUTDOWN.link" as its
# argument, with VESPERN_DRY_RUN=1 (the action is only printed), on one X display (Xvfb, started
# through xvfb-run when DISPLAY is unset), each run with a fresh HOME and XDG directories and a
# private session bus. The argument shows the main window, runs the action and ends the program.
# Measured (bench/window_watch.py): the time from launch to the X server's mapping of the
# program's first window, the time to the end of the run, and the peak resident memory of the
# program's process (its maximum RSS as GNU time gives it: for Wine the process that runs
# vespern.exe; the prefix's wineserver and services run before and are not counted). Wine runs
# in a temporary prefix made first; a 64-bit program runs under wine64.
#
# Needs: xvfb, dbus, python3, wine (wine64 for the x86-64 build).
set -euo pipefail

linux=$(realpath "${1:-build/vespern}")
windows=$(realpath "${2:-build-windows/vespern.exe}")
runs=${3:-5}

source "$(dirname "$0")/isolated_session.sh"
on_display "$0" "$linux" "$windows" "$runs"
require_tools dbus-daemon

work=$(mktemp -d)
wine=wine
wineserver=wineserver
if [[ $(file -b "$windows") == *x86-64* ]]; then
    wine=/usr/lib/wine/wine64
    wineserver=/usr/lib/wine/wineserver
    export WINEARCH=win64
fi
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
trap 'end_session_bus; "$wineserver" -k 2> /dev/null || true; rm -rf "$work"' EXIT

"$wine" wineboot --init > /dev/null 2>&1
"$wineserver" -w
"$wineserver" -p
"$wine" wineboot > /dev/null 2>&1 # Wine's own services, up before the first measured run

: > "$work/linux"
: > "$work/windows"
for run in $(seq 1 "$runs"); do
    # Alternate the order so neither program always gets the warmer caches.
    if ((run % 2)); then
        watch_in_session "$work" vespern end "$linux" SHUTDOWN.link >> "$work/linux"
        watch_in_session "$work" vespern.exe end "$wine" "$windows" SHUTDOWN.link >> "$work/windows"
    else
        watch_in_session "$work" vespern.exe end "$wine" "$windows" SHUTDOWN.link >> "$work/windows"
        watch_in_session "$work" vespern end "$linux" SHUTDOWN.link >> "$work/linux"
    fi
done

echo "| Program (median of $runs one-shot runs) | To the first window, ms | Whole run, ms | Peak RSS, kB |"
echo "|---|---|---|---|"
for program in linux windows; do
    label="Linux build (Qt, Xvfb)"
    [[ $program == windows ]] && label="vespern.exe under Wine ($(basename "$wine"))"
    printf '| %s | %s | %s | %s |\n' "$label" "$(column_median "$work/$program" 1)" \
        "$(column_median "$work/$program" 2)" "$(column_median "$work/$program" 3)"
done
