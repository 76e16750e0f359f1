#!/usr/bin/env bash
# Builds holdfast and runs a whole backup cycle on a sample data tree against
# the stand-in engine: begin continuous operation, look at the engine's state,
# end it again.
set -eu
cd "$(dirname "$0")/.."
. scripts/require.sh
require_packages cmake g++ make

cmake -S . -B build/demo -DHOLDFAST_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/demo -j"$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$(sample/make-sample-tree.sh "$work")
export HOLDFAST_BTRIEVE_LIBRARY=$PWD/build/demo/libholdfast-standin.so
export HOLDFAST_STANDIN_STATE=$work/engine-state
holdfast=build/demo/holdfast

show() { printf '\n\033[1m$ %s\033[0m\n' "$*"; }

show holdfast "'$data/*.DAT'" -S -M
"$holdfast" "$data/*.DAT" -S -M || echo "(exit status $?)"
show cat "$HOLDFAST_STANDIN_STATE/continuous.txt"
cat "$HOLDFAST_STANDIN_STATE/continuous.txt"
show holdfast "'$data/*.DAT'" -S -NSYS
"$holdfast" "$data/*.DAT" -S -NSYS
show holdfast -E
"$holdfast" -E
show cat "$HOLDFAST_STANDIN_STATE/continuous.txt"
cat "$HOLDFAST_STANDIN_STATE/continuous.txt"
echo "(nothing left in continuous operation)"
