#!/bin/sh
# Runs a fuzzer for VESPERN_FUZZ_SECONDS (60 by default) with a scratch corpus emptied first, so
# that the inputs it finds do not pile up between runs, and crash inputs kept beside it:
#   run_fuzzer.sh SCRATCH FUZZER [OPTION...] [CORPUS...]
# Its output goes to SCRATCH.log; the executions and coverage are printed, the whole log on failure.
set -e
scratch=$1
fuzzer=$2
shift 2
rm -rf "$scratch" "$scratch".log
mkdir -p "$scratch"
status=0
# New inputs go to the first corpus directory.
"$fuzzer" "$scratch" -max_total_time="${VESPERN_FUZZ_SECONDS:-60}" -artifact_prefix="$scratch-" "$@" \
    >"$scratch.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || cat "$scratch.log"
grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)|^#[0-9]+.*DONE' "$scratch.log" || true
exit "$status"
