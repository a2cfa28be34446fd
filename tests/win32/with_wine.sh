#!/usr/bin/env bash
# Runs a command that needs Wine (VESPERN_WINE, "wine" when unset: a Windows test program with
# it in front, or a script that starts one); skips it with status 77 on a machine where 32-bit Wine cannot start at all, such
# as a kernel that runs no 32-bit programs.
set -euo pipefail
if ! reason=$("${VESPERN_WINE:-wine}" --version 2>&1); then
    hint=""
    [[ $reason == *"Exec format error"* ]] && hint=" (this kernel runs no 32-bit programs)"
    echo "skipped: Wine cannot run a program on this machine: ${reason##*: }$hint" >&2
    exit 77
fi
exec "$@"
