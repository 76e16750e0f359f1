#!/bin/bash
# Builds a reproducible data tree for the benchmark: FILES files spread over
# DIRS directories up to DEPTH levels deep; one file in every MATCH_EVERY is a
# database file named *.dat with a size the program accepts, the others have
# other names and sizes. Files are sparse, so the tree costs little disk.
#
#   bench/make-tree.sh ROOT FILES DIRS DEPTH MATCH_EVERY
set -euo pipefail

if [ $# -ne 5 ]; then
  echo "usage: $0 ROOT FILES DIRS DEPTH MATCH_EVERY" >&2
  exit 1
fi
root=$1 files=$2 dirs=$3 depth=$4 match_every=$5

rm -rf "$root"
mkdir -p "$root"
lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT

# awk's own rand() differs between awk builds; this generator (Park-Miller)
# is exact in double arithmetic, so every machine builds the same tree.
awk -v root="$root" -v files="$files" -v dirs="$dirs" -v depth="$depth" \
    -v match_every="$match_every" -v lists="$lists" '
  function next_random(n) { seed = (seed * 16807) % 2147483647; return seed % n }
  BEGIN {
    seed = 20240601
    path[0] = root; level[0] = 0; shallow[0] = 0; nshallow = 1
    for (d = 1; d < dirs; d++) {
      parent = shallow[next_random(nshallow)]
      path[d] = sprintf("%s/dir%05d", path[parent], d)
      level[d] = level[parent] + 1
      if (level[d] < depth) shallow[nshallow++] = d
      print path[d] > (lists "/dirs")
    }
    close(lists "/dirs")
    system("xargs -d \"\\n\" mkdir -p < \"" lists "/dirs\"")

    split("4096 8192 16384 65536", db_sizes, " ")
    split("0 100 1000 1600 2048 4096 7000 100000", other_sizes, " ")
    split("txt log idx bak cfg tmp", other_types, " ")
    for (f = 0; f < files; f++) {
      d = next_random(dirs)
      if (f % match_every == 0) {
        name = sprintf("%s/file%06d.dat", path[d], f)
        printf "STANDIN-BTRIEVE\n" > name
        list = lists "/size" db_sizes[1 + next_random(4)]
      } else {
        name = sprintf("%s/file%06d.%s", path[d], f, other_types[1 + next_random(6)])
        printf "" > name
        list = lists "/size" other_sizes[1 + next_random(8)]
      }
      close(name)
      print name > list
    }
  }'
for list in "$lists"/size*; do
  xargs -d '\n' truncate -s "${list##*/size}" < "$list"
done
