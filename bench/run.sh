#!/bin/bash
# Times holdfast against GNU find on generated data trees.
#
#   bench/run.sh [--quick] [--rounds N] [--work DIR] [--build DIR]
#
#   --quick      small trees (20,000 files) for a check that takes seconds
#   --rounds N   timed rounds after the warm-up (default 7, at least 5)
#   --work DIR   where the trees and the engine's state go (default
#                /tmp/holdfast-bench); never inside the repository
#   --build DIR  a build to use; without it a release build is made in
#                WORK/build
#
# Two trees: the walk tree, where a fifth of the files are database files
# (40,000 of 200,000), and the engine tree of the same shape with 2,000 of
# them, as many as block mode stores, so its figures mean something.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
quick=0
rounds=7
work=/tmp/holdfast-bench
build=

while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=1 ;;
    --rounds) rounds=$2; shift ;;
    --work) work=$2; shift ;;
    --build) build=$2; shift ;;
    *) sed -n '2,14p' "$0" >&2; exit 1 ;;
  esac
  shift
done
[ "$rounds" -ge 5 ] || { echo "at least 5 rounds" >&2; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
case $work/ in
  "$source_dir"/*) echo "the work folder must be outside the repository" >&2
                   exit 1 ;;
esac

if [ ! -x /usr/bin/time ]; then
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y time >/dev/null
fi

if [ -z "$build" ]; then
  build=$work/build
  if ! { cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release \
            -DHOLDFAST_TESTS=OFF &&
         cmake --build "$build" --target holdfast holdfast_standin; } \
       >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    exit 1
  fi
fi
holdfast=$build/holdfast
export HOLDFAST_BTRIEVE_LIBRARY=$build/libholdfast-standin.so
export HOLDFAST_STANDIN_STATE=$work/state
unset HOLDFAST_STANDIN_JOURNAL HOLDFAST_STANDIN_FAULTS

if [ $quick -eq 1 ]; then
  shape="20000 1000 8"
else
  shape="200000 10000 8"
fi

# A tree is built once per shape and kept for later runs.
make_tree() {
  local root=$1 match_every=$2
  local stamp="$shape $match_every"
  if [ "$(cat "$root.stamp" 2>/dev/null)" != "$stamp" ]; then
    echo "building $root ($shape, one file in $match_every a database file)"
    "$here/make-tree.sh" "$root" $shape "$match_every"
    echo "$stamp" > "$root.stamp"
  fi
}
walk_tree=$work/walk-tree
engine_tree=$work/engine-tree
make_tree "$walk_tree" 5
make_tree "$engine_tree" 100

# name:tree pairs, timed in this order each round.
cases=(
  "find:$walk_tree" "netware:$walk_tree"
  "find:$engine_tree" "netware:$engine_tree"
  "one-file:$engine_tree" "refused:$engine_tree" "block:$engine_tree"
)

# Sets `command` to the command line of a case.
command_of() {
  case $1 in
    find) command=(find "$2" -name '*.dat' -printf '%s %p\n') ;;
    netware) command=("$holdfast" "$2/*.dat" -S -NSYS) ;;
    one-file) command=("$holdfast" "$2/*.dat" -S) ;;
    block) command=("$holdfast" "$2/*.dat" -S -B) ;;
    # One file at a time with every Begin refused before the stand-in does
    # its work (it rewrites its state file on each): the program's own cost.
    refused) command=(env HOLDFAST_STANDIN_FAULTS='op=42 keynum=0 status=85'
                      "$holdfast" "$2/*.dat" -S) ;;
  esac
}

declare -A wall rss

# The program's standard error goes to a file, as a script's log would.
run_case() {
  local start end command
  command_of "$1" "$2"
  rm -rf "$HOLDFAST_STANDIN_STATE"
  start=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/rss" "${command[@]}" >/dev/null \
    2>"$work/stderr" || true
  end=$EPOCHREALTIME
  wall[$1:$2]+=" $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')"
  rss[$1:$2]+=" $(tail -n 1 "$work/rss")"
}

for_each_case() {
  local entry
  for entry in "${cases[@]}"; do
    "$1" "${entry%%:*}" "${entry#*:}"
  done
}

median() {
  tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 }
    END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "warm-up"
for_each_case run_case
wall=() rss=()
for ((round = 1; round <= rounds; round++)); do
  echo "round $round of $rounds"
  for_each_case run_case
done

# Engine calls, counted from the stand-in's journal in a run of their own.
count_calls() {
  local journal=$work/journal command
  [ "$1" = find ] && { echo "-"; return; }
  command_of "$1" "$2"
  rm -f "$journal"
  rm -rf "$HOLDFAST_STANDIN_STATE"
  HOLDFAST_STANDIN_JOURNAL=$journal "${command[@]}" >/dev/null 2>&1 || true
  awk '{ split($1, op, "="); n[op[2]]++; total++ }
    END { printf "%d (", total
          sep = ""
          for (o in n) { printf "%sop %s: %d", sep, o, n[o]; sep = ", " }
          print ")" }' "$journal"
}

print_results() {
  local m r find netware calls
  m=$(median <<< "${wall[$1:$2]}")
  r=$(median <<< "${rss[$1:$2]}")
  find=$(median <<< "${wall[find:$2]}")
  netware=$(median <<< "${wall[netware:$2]}")
  calls=$(count_calls "$1" "$2")
  printf '%-8s %-11s %7.3f s %6.2fx %8.2fx %7d KiB  %s\n' "$1" "${2##*/}" \
         "$m" "$(awk -v a="$m" -v b="$find" 'BEGIN { print a / b }')" \
         "$(awk -v a="$m" -v b="$netware" 'BEGIN { print a / b }')" "$r" \
         "$calls"
}

echo
echo "$(nproc) CPUs, $rounds rounds, $(find --version | head -n 1)"
echo "walk tree: $(find "$walk_tree" -type f | wc -l) files in" \
     "$(find "$walk_tree" -type d | wc -l) directories," \
     "$(find "$walk_tree" -name '*.dat' | wc -l) database files"
echo "engine tree: $(find "$engine_tree" -type f | wc -l) files," \
     "$(find "$engine_tree" -name '*.dat' | wc -l) database files"
echo
printf '%-8s %-11s %9s %7s %9s %11s  %s\n' mode tree median /find /netware \
       "peak RSS" "engine calls"
for_each_case print_results
