#!/usr/bin/env bash
# The checks that keep the code sound beyond its tests; CI runs them all after the tests.
#   tools/checks.sh [format | tidy | asan | fuzz]...   (no argument: all four, in this order)
#
#   format  every tracked C++ file is as clang-format writes it
#   tidy    clang-tidy (.clang-tidy) finds nothing, over the compile database of the Linux build
#           (VESPERN_BUILD_DIR, default build/, as `tools/dev.sh test` leaves it)
#   asan    the "asan" preset (build-asan/) builds the unit tests and runs them
#   fuzz    the "fuzz" preset (build-fuzz/) builds the fuzz targets with clang and runs each for
#           VESPERN_FUZZ_SECONDS (60) over its committed corpus
#
# Each check prints its time; the first one that fails stops the script with its status.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
build=${VESPERN_BUILD_DIR:-$here/build}
jobs=${VESPERN_CHECK_JOBS:-$(nproc)}
export VESPERN_FUZZ_SECONDS=${VESPERN_FUZZ_SECONDS:-60}

check_format() {
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

# Only the project's own sources and headers, not the moc and resource files in the build folder
# (VESPERN_TIDY_FILES, a regular expression over the absolute paths, picks fewer). run-clang-tidy
# fails only when clang-tidy itself does, so any finding in its output fails the check.
check_tidy() {
    if [ ! -f "$build/compile_commands.json" ]; then
        echo "no $build/compile_commands.json: build first (tools/dev.sh test)" >&2
        return 1
    fi
    local sources="^$here/(Project1\\.cpp|bench/|core/|platform/|tests/|ui/)"
    local log=$build/clang-tidy.log status=0
    run-clang-tidy -quiet -p "$build" -j "$jobs" -header-filter="$sources" "${VESPERN_TIDY_FILES:-$sources}" \
        >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || grep -qE '(warning|error):' "$log"; then
        sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '(warning|error):|ERROR' | sort -u >&2 || true
        echo "clang-tidy found the above (full output: $log)" >&2
        return 1
    fi
}

# The unit tests alone: the rest start the program or desktop services, which the build does not
# instrument.
check_asan() {
    cmake --preset asan >/dev/null
    nice cmake --build build-asan --parallel "$jobs" --target vespern_tests
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build-asan -L unit --parallel "$jobs" --output-on-failure --timeout 300
}

# The targets run side by side, one a core; each prints its executions from its log.
check_fuzz() {
    cmake --preset fuzz >/dev/null
    nice cmake --build build-fuzz --parallel "$jobs" --target vespern_fuzzers
    local status=0
    ctest --test-dir build-fuzz -L fuzz --parallel "$jobs" --output-on-failure || status=$?
    local log
    for log in build-fuzz/tests/fuzz/*.log; do
        printf '%-14s %12s executions, %5s new inputs\n' "$(basename "$log" .log)" \
            "$(sed -n 's/^stat::number_of_executed_units: //p' "$log")" \
            "$(sed -n 's/^stat::new_units_added: //p' "$log")"
    done
    return "$status"
}

run_check() {
    local name=$1 start=$SECONDS status
    echo "== $name"
    # A subshell outside any condition, so that set -e stops the check at its first failure.
    set +e
    (
        set -e
        "check_$name"
    )
    status=$?
    set -e
    echo "== $name: $((SECONDS - start)) s, $([ "$status" -eq 0 ] && echo passed || echo "FAILED ($status)")"
    return "$status"
}

checks=("$@")
[ ${#checks[@]} -eq 0 ] && checks=(format tidy asan fuzz)
for check in "${checks[@]}"; do
    case "$check" in format | tidy | asan | fuzz) ;; *)
        echo "usage: tools/checks.sh [format | tidy | asan | fuzz]..." >&2
        exit 2
        ;;
    esac
done
total=$SECONDS
for check in "${checks[@]}"; do
    run_check "$check"
done
echo "== all checks passed in $((SECONDS - total)) s"
