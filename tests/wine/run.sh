#!/bin/bash
# ctest's emulator for the Windows build: run.sh PREFIX PROGRAM [ARGS...]
set -u
here=$(dirname "$0")
"$here/prefix.sh" "$1" || exit 1
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
shift
# The Windows C runtime ends its lines with CR LF; ctest, and the test
# listing that gtest_discover_tests reads, expect LF.
set -o pipefail
wine "$@" | sed -u 's/\r$//'
