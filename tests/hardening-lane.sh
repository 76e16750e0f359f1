#!/usr/bin/env bash
# The hardening lane: the whole test suite under ASan and UBSan (g++), then
# the libFuzzer targets, the bad-input table, the stand-in's state under
# SIGKILL and a valgrind run (clang build, program itself unsanitized).
# Usage: tests/hardening-lane.sh [BUILD_ROOT]   (default: build)
set -eu
cd "$(dirname "$0")/.."
root=${1:-build}
. scripts/require.sh
require_packages cmake ninja-build g++ clang libclang-rt-14-dev valgrind \
  libgtest-dev googletest

echo "== Sanitizer lane (ASan, UBSan)"
cmake -S . -B "$root/sanitize" -G Ninja -DCMAKE_CXX_COMPILER=g++ \
  -DHOLDFAST_WERROR=ON -DHOLDFAST_SANITIZE=ON >/dev/null
cmake --build "$root/sanitize"
ctest --test-dir "$root/sanitize" --output-on-failure

echo "== Fuzzing and valgrind lane"
cmake -S . -B "$root/fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DHOLDFAST_WERROR=ON -DHOLDFAST_FUZZ=ON >/dev/null
cmake --build "$root/fuzz"
ctest --test-dir "$root/fuzz" --output-on-failure -L hardening
