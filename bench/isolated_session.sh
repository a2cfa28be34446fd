# Sourced by the start-up benchmarks: one X display, a fresh session for every run, and medians.

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# on_display SCRIPT ARGS...: runs the script again under its own Xvfb when there is no display.
on_display() {
    [[ -n "${DISPLAY:-}" ]] || exec xvfb-run -a -s '-screen 0 1024x768x24' "$@"
}

require_tools() {
    local tool
    for tool; do
        command -v "$tool" > /dev/null || { echo "$(basename "$0"): $tool is missing" >&2; exit 2; }
    done
}

session_bus_pid=""
# Called by the script's exit trap: a bus left by an interrupted run goes with it.
end_session_bus() {
    [[ -z "$session_bus_pid" ]] || kill "$session_bus_pid" 2> /dev/null || true
    session_bus_pid=""
}

# watch_in_session WORK CLASS SETTLE COMMAND...: runs COMMAND under bench/window_watch.py (which
# prints the run's figures) with a fresh HOME, XDG directories and private session bus made under
# WORK, in a dry run.
watch_in_session() {
    local work=$1 class=$2 settle=$3
    shift 3
    local run_dir address
    run_dir=$(mktemp -d -p "$work")
    mkdir -p "$run_dir/home" "$run_dir/runtime"
    chmod 700 "$run_dir/runtime"
    read -r address session_bus_pid < <(dbus-daemon --session --address="unix:path=$run_dir/bus" --fork \
        --print-address=1 --print-pid=1 | paste -sd' ')
    env HOME="$run_dir/home" XDG_CONFIG_HOME="$run_dir/home/.config" XDG_DATA_HOME="$run_dir/home/.local/share" \
        XDG_CACHE_HOME="$run_dir/home/.cache" XDG_RUNTIME_DIR="$run_dir/runtime" \
        DBUS_SESSION_BUS_ADDRESS="$address" DBUS_SYSTEM_BUS_ADDRESS="$address" VESPERN_DRY_RUN=1 \
        "$bench_dir/window_watch.py" "$class" "$settle" -- "$@"
    end_session_bus
}

# The median of the numbers on standard input, one a line; "-" lines are not numbers.
median() {
    sort -n | awk '$1 != "-" { v[++n] = $1 }
        END { if (!n) print "-"; else print (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }'
}

# column_median FILE COLUMN
column_median() { awk -v c="$2" '{ print $c }' "$1" | median; }
