#!/bin/bash
# Start-up time and memory of Vespern next to Debian's kshutdown, side by side in one run.
#
# Usage: bench/startup_memory.sh [VESPERN-BINARY] [RUNS]
#
# Each program starts RUNS times (default 5) on one X display (Xvfb, started through xvfb-run when
# DISPLAY is unset), each run with a fresh HOME and XDG directories and a private session bus.
# Measured: the time from launch to the first mapped window of the program, then, after one second
# of settling, VmRSS and VmHWM from /proc/PID/status. Prints the medians and the ratios.
#
# Vespern starts hidden in the tray when the desktop has a notification area; plain Xvfb has none,
# so it shows its main window at once, which is the window measured here. It runs with
# VESPERN_DRY_RUN=1 and is never asked to do anything.
#
# Needs: xvfb, x11-utils, xdotool, dbus, kshutdown (apt-get install -y --no-install-recommends kshutdown xdotool).
set -euo pipefail

vespern=$(realpath "${1:-build/vespern}")
runs=${2:-5}

if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$vespern" "$runs"
fi
for tool in xdotool dbus-daemon kshutdown; do
    command -v "$tool" > /dev/null || { echo "startup_memory.sh: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d)
bus_pid=""
app_pid=""
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2> /dev/null || true
    [[ -n "$bus_pid" ]] && kill "$bus_pid" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

now_ms() { date +%s%3N; }

status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

# measure NAME WINDOW-CLASS COMMAND...: prints "milliseconds rss_kb hwm_kb"
measure() {
    local class=$1
    shift
    local run_dir
    run_dir=$(mktemp -d -p "$work")
    mkdir -p "$run_dir/home" "$run_dir/runtime"
    chmod 700 "$run_dir/runtime"
    read -r address bus_pid < <(dbus-daemon --session --address="unix:path=$run_dir/bus" --fork \
        --print-address=1 --print-pid=1 | paste -sd' ')
    local start
    start=$(now_ms)
    env HOME="$run_dir/home" XDG_CONFIG_HOME="$run_dir/home/.config" XDG_DATA_HOME="$run_dir/home/.local/share" \
        XDG_CACHE_HOME="$run_dir/home/.cache" XDG_RUNTIME_DIR="$run_dir/runtime" \
        DBUS_SESSION_BUS_ADDRESS="$address" DBUS_SYSTEM_BUS_ADDRESS="$address" \
        VESPERN_DRY_RUN=1 "$@" > /dev/null 2>&1 &
    app_pid=$!
    local mapped=""
    for _ in $(seq 1 3000); do
        if xdotool search --onlyvisible --pid "$app_pid" --class "$class" > /dev/null 2>&1; then
            mapped=$(now_ms)
            break
        fi
        sleep 0.005
    done
    [[ -n "$mapped" ]] || { echo "startup_memory.sh: no window of $class appeared" >&2; exit 1; }
    sleep 1
    echo "$((mapped - start)) $(status_kb "$app_pid" VmRSS) $(status_kb "$app_pid" VmHWM)"
    kill "$app_pid"
    wait "$app_pid" 2> /dev/null || true
    app_pid=""
    kill "$bus_pid"
    bus_pid=""
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: > "$work/vespern"
: > "$work/kshutdown"
for run in $(seq 1 "$runs"); do
    # Alternate the order so neither program always gets the warmer caches.
    if ((run % 2)); then
        measure vespern "$vespern" >> "$work/vespern"
        measure kshutdown kshutdown >> "$work/kshutdown"
    else
        measure kshutdown kshutdown >> "$work/kshutdown"
        measure vespern "$vespern" >> "$work/vespern"
    fi
done

column_median() { awk -v c="$2" '{ print $c }' "$work/$1" | median; }
printf '%-10s %14s %12s %12s\n' program "to window ms" "VmRSS kB" "VmHWM kB"
for program in vespern kshutdown; do
    printf '%-10s %14s %12s %12s\n' "$program" "$(column_median "$program" 1)" "$(column_median "$program" 2)" \
        "$(column_median "$program" 3)"
done
awk -v vt="$(column_median vespern 1)" -v kt="$(column_median kshutdown 1)" \
    -v vr="$(column_median vespern 2)" -v kr="$(column_median kshutdown 2)" \
    -v vh="$(column_median vespern 3)" -v kh="$(column_median kshutdown 3)" 'BEGIN {
        printf "ratios vespern/kshutdown: time %.2f, VmRSS %.2f, VmHWM %.2f\n", vt / kt, vr / kr, vh / kh
        ok = (vt * 3 < kt) && (vr * 2 < kr)
        printf "targets (time under a third, VmRSS under a half): %s\n", ok ? "met" : "NOT met"
        exit ok ? 0 : 1
    }'
