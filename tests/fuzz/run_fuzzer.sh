#!/bin/sh
# Runs the fuzzer with a scratch corpus emptied first, so that the large inputs it finds do not
# pile up between runs: run_fuzzer.sh SCRATCH FUZZER [OPTION...] [CORPUS...]
set -e
scratch=$1
shift
rm -rf "$scratch"
mkdir -p "$scratch"
fuzzer=$1
shift
# New inputs go to the first corpus directory.
exec "$fuzzer" "$scratch" "$@"
