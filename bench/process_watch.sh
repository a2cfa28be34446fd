#!/bin/bash
# The process watch's cost with COUNT extra processes, side by side with `pgrep -x NAME` on the
# same processes in the same run: medians of the CPU time per walk and per pgrep, and their ratio.
#
#   bench/process_watch.sh            (COUNT=1000 REPETITIONS=5 BUILD_DIR=build-bench by default)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
count=${COUNT:-1000}
repetitions=${REPETITIONS:-5}
name=vwsleeper # short enough for pgrep -x, which compares the 15-byte kernel name

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVESPERN_BUILD_BENCHMARKS=ON -DVESPERN_BUILD_TESTS=OFF >/dev/null
make -C "$build" -j2 vespern_bench >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    if ((${#pids[@]})); then kill "${pids[@]}" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The extra processes end by themselves after ten minutes should the clean-up be skipped.
cp /bin/sleep "$work/$name"
for ((i = 0; i < count; i++)); do
    "$work/$name" 600 &
    pids+=($!)
done
sleep 6 # past the age at which new processes are checked at every walk

echo "$(ls /proc | grep -c '^[0-9]') processes, $count of them named $name; load: $(cut -d' ' -f1-3 /proc/loadavg)"
VESPERN_BENCH_NAME=$name "$build/bench/vespern_bench" --benchmark_filter='LowCpuSample|ProcessWatch|ProcDirectory|Pgrep' \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$work/result.json" >/dev/null

/usr/bin/python3 - "$work/result.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def median(name, field="cpu_time"):
    for run in runs:
        if run["run_name"].split("/")[0] == name and run.get("aggregate_name") == "median":
            return run[field] / 1000.0  # microseconds
    raise SystemExit(f"no median for {name}")
pgrep = median("Pgrep", "real_time")  # manual time: pgrep's own user + system time
sample = median("LowCpuSample")
print(f"{'':32}{'median CPU':>12}")
print(f"{'low-CPU sample (class 3 + 2)':32}{sample:9.1f} us   {'ok' if sample <= 50 else 'OVER 50 us'}")
print(f"{'pgrep -x NAME':32}{pgrep:9.1f} us")
for label, name in (("walk, back to back", "ProcessWatchWalk"), ("walk after a new task", "ProcessWatchWalkAfterChange"),
                    ("walk, half a second apart", "ProcessWatchWalkPaced")):
    cost = median(name)
    verdict = "ok" if cost <= 1000 and cost * 20 <= pgrep else "OVER BUDGET"
    print(f"{label:32}{cost:9.1f} us   1/{pgrep / cost:.0f} of pgrep   {verdict}")
print(f"{'(listing /proc alone)':32}{median('ProcDirectoryListing'):9.1f} us")
print(f"{'(the same, half a second apart)':32}{median('ProcDirectoryListingPaced'):9.1f} us")
PY
