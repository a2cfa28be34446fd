#!/bin/bash
# Start-up time and memory of the Linux program next to the Windows program under Wine, side by
# side in one run, as a table for the README.
#
# Usage: bench/startup_memory_wine.sh [LINUX-VESPERN] [VESPERN-EXE] [RUNS]
#        (defaults build/vespern, build-windows-x64/vespern.exe, 5 runs)
#
# Each program runs RUNS times one-shot with the desktop action file name "SHUTDOWN.link" as its
# argument, with VESPERN_DRY_RUN=1 (the action is only printed), on one X display (Xvfb, started
# through xvfb-run when DISPLAY is unset), each run with a fresh HOME and XDG directories and a
# private session bus. The argument shows the main window, runs the action and ends the program.
# Measured: the time from launch to the program's first mapped window (xdotool, polled every few
# milliseconds, each look itself taking some; "-" when the window came and went between two
# looks), the time to the end of the run, and the peak resident memory of the program's process
# (GNU time's maximum RSS: for Wine the process that runs vespern.exe; the prefix's wineserver
# and services run before and are not counted). Wine runs in a temporary prefix made first; a
# 64-bit program runs under wine64.
#
# Needs: xvfb, xdotool, dbus, time, wine (wine64 for the x86-64 build).
set -euo pipefail

linux=$(realpath "${1:-build/vespern}")
windows=$(realpath "${2:-build-windows-x64/vespern.exe}")
runs=${3:-5}

if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$linux" "$windows" "$runs"
fi
for tool in xdotool dbus-daemon /usr/bin/time; do
    command -v "$tool" > /dev/null || { echo "startup_memory_wine.sh: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d)
wine=wine
wineserver=wineserver
if [[ $(file -b "$windows") == *x86-64* ]]; then
    wine=/usr/lib/wine/wine64
    wineserver=/usr/lib/wine/wineserver
    export WINEARCH=win64
fi
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
bus_pid=""
cleanup() {
    [[ -n "$bus_pid" ]] && kill "$bus_pid" 2> /dev/null || true
    "$wineserver" -k 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$wine" wineboot --init > /dev/null 2>&1
"$wineserver" -w
"$wineserver" -p
"$wine" wineboot > /dev/null 2>&1 # Wine's own services, up before the first measured run

now_ms() { date +%s%3N; }

# measure WINDOW-CLASS COMMAND...: prints "to-window-ms run-ms peak-rss-kB"
measure() {
    local class=$1
    shift
    local run_dir
    run_dir=$(mktemp -d -p "$work")
    mkdir -p "$run_dir/home" "$run_dir/runtime"
    chmod 700 "$run_dir/runtime"
    read -r address bus_pid < <(dbus-daemon --session --address="unix:path=$run_dir/bus" --fork \
        --print-address=1 --print-pid=1 | paste -sd' ')
    local start mapped=- ended
    start=$(now_ms)
    env HOME="$run_dir/home" XDG_CONFIG_HOME="$run_dir/home/.config" XDG_DATA_HOME="$run_dir/home/.local/share" \
        XDG_CACHE_HOME="$run_dir/home/.cache" XDG_RUNTIME_DIR="$run_dir/runtime" \
        DBUS_SESSION_BUS_ADDRESS="$address" DBUS_SYSTEM_BUS_ADDRESS="$address" VESPERN_DRY_RUN=1 \
        /usr/bin/time -o "$run_dir/rss" -f %M "$@" SHUTDOWN.link > /dev/null 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2> /dev/null; do
        if [[ $mapped == - ]] && xdotool search --onlyvisible --classname "$class" > /dev/null 2>&1; then
            mapped=$(($(now_ms) - start))
        fi
        sleep 0.003
    done
    ended=$(now_ms)
    wait "$pid" || true
    echo "$mapped $((ended - start)) $(cat "$run_dir/rss")"
    kill "$bus_pid"
    bus_pid=""
}

median() {
    sort -n | awk '$1 != "-" { v[++n] = $1 } END { if (!n) print "-"; else print (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }'
}

: > "$work/linux"
: > "$work/windows"
for run in $(seq 1 "$runs"); do
    # Alternate the order so neither program always gets the warmer caches.
    if ((run % 2)); then
        measure vespern "$linux" >> "$work/linux"
        measure vespern.exe "$wine" "$windows" >> "$work/windows"
    else
        measure vespern.exe "$wine" "$windows" >> "$work/windows"
        measure vespern "$linux" >> "$work/linux"
    fi
done

column_median() { awk -v c="$2" '{ print $c }' "$work/$1" | median; }
echo "| Program (median of $runs one-shot runs) | To the first window, ms | Whole run, ms | Peak RSS, kB |"
echo "|---|---|---|---|"
for program in linux windows; do
    label="Linux build (Qt, Xvfb)"
    [[ $program == windows ]] && label="vespern.exe under Wine ($(basename "$wine"))"
    printf '| %s | %s | %s | %s |\n' "$label" "$(column_median "$program" 1)" "$(column_median "$program" 2)" \
        "$(column_median "$program" 3)"
done
