#!/usr/bin/env bash
# The checks that keep the code sound beyond its tests; CI runs them all after the tests.
#   tools/checks.sh [format]...   (no argument: all of them)
#
#   format  every tracked C++ file is as clang-format writes it
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
[ ${#checks[@]} -eq 0 ] && checks=(format)
for check in "${checks[@]}"; do
    case "$check" in format) ;; *)
        echo "usage: tools/checks.sh [format]..." >&2
        exit 2
        ;;
    esac
done
total=$SECONDS
for check in "${checks[@]}"; do
    run_check "$check"
done
echo "== all checks passed in $((SECONDS - total)) s"
