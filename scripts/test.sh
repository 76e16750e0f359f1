#!/usr/bin/env bash
# Builds and runs every test: the native lane, then the hardening lane
# (sanitizers, fuzzing, valgrind), then the Windows lane under Wine.
set -eu
cd "$(dirname "$0")/.."
. scripts/require.sh
require_packages cmake ninja-build g++ libgtest-dev googletest

echo "== Native lane"
cmake -S . -B build/native -G Ninja -DHOLDFAST_WERROR=ON >/dev/null
cmake --build build/native
ctest --test-dir build/native --output-on-failure

bash tests/hardening-lane.sh build
bash tests/windows-lane.sh build
