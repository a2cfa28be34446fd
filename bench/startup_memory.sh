#!/bin/bash
# Start-up time and memory of Vespern next to Debian's kshutdown, side by side in one run.
#
# Usage: bench/startup_memory.sh [VESPERN-BINARY] [RUNS]
#
# Each program starts RUNS times (default 5) on one X display (Xvfb, started through xvfb-run when
# DISPLAY is unset), each run with a fresh HOME and XDG directories and a private session bus.
# Measured (bench/window_watch.py): the time from launch to the X server's mapping of the program's
# first window, then, after one second of settling, VmRSS and VmHWM from /proc/PID/status. Prints the medians and the ratios.
#
# Vespern starts hidden in the tray when the desktop has a notification area; plain Xvfb has none,
# so it shows its main window at once, which is the window measured here. It runs with
# VESPERN_DRY_RUN=1 and is never asked to do anything.
#
# Needs: xvfb, dbus, python3, kshutdown (apt-get install -y --no-install-recommends kshutdown).
set -euo pipefail

vespern=$(realpath "${1:-build/vespern}")
runs=${2:-5}

source "$(dirname "$0")/isolated_session.sh"
on_display "$0" "$vespern" "$runs"
require_tools dbus-daemon kshutdown

work=$(mktemp -d)
trap 'end_session_bus; rm -rf "$work"' EXIT

: > "$work/vespern"
: > "$work/kshutdown"
for run in $(seq 1 "$runs"); do
    # Alternate the order so neither program always gets the warmer caches.
    if ((run % 2)); then
        watch_in_session "$work" vespern 1 "$vespern" >> "$work/vespern"
        watch_in_session "$work" kshutdown 1 kshutdown >> "$work/kshutdown"
    else
        watch_in_session "$work" kshutdown 1 kshutdown >> "$work/kshutdown"
        watch_in_session "$work" vespern 1 "$vespern" >> "$work/vespern"
    fi
done

printf '%-10s %14s %12s %12s\n' program "to window ms" "VmRSS kB" "VmHWM kB"
for program in vespern kshutdown; do
    printf '%-10s %14s %12s %12s\n' "$program" "$(column_median "$work/$program" 1)" \
        "$(column_median "$work/$program" 2)" "$(column_median "$work/$program" 3)"
done
awk -v vt="$(column_median "$work/vespern" 1)" -v kt="$(column_median "$work/kshutdown" 1)" \
    -v vr="$(column_median "$work/vespern" 2)" -v kr="$(column_median "$work/kshutdown" 2)" \
    -v vh="$(column_median "$work/vespern" 3)" -v kh="$(column_median "$work/kshutdown" 3)" 'BEGIN {
        printf "ratios vespern/kshutdown: time %.2f, VmRSS %.2f, VmHWM %.2f\n", vt / kt, vr / kr, vh / kh
        ok = (vt * 3 < kt) && (vr * 2 < kr)
        printf "targets (time under a third, VmRSS under a half): %s\n", ok ? "met" : "NOT met"
        exit ok ? 0 : 1
    }'
