#!/bin/bash
# ctest's emulator for the Windows build: run.sh PREFIX PROGRAM [ARGS...]
set -u
here=$(dirname "$0")
"$here/prefix.sh" "$1" || exit 1
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
shift
# Wine's background services inherit the output handles of the program that
# starts the session and outlive it; given ctest's pipes, they would keep
# ctest waiting. They get files instead.
output=$(mktemp -d)
trap 'rm -rf "$output"' EXIT
wine "$@" >"$output/out" 2>"$output/err"
status=$?
# The Windows C runtime ends its lines with CR LF; ctest, and the test
# listing that gtest_discover_tests reads, expect LF.
sed 's/\r$//' "$output/out"
cat "$output/err" >&2
exit $status
