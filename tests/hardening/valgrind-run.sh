#!/usr/bin/env bash
# A full -S -B -O run over the sample tree under valgrind: no memory error,
# no definite leak, and the run's own result as expected.
# Usage: valgrind-run.sh PROGRAM STANDIN SOURCE_DIR
set -eu
program=$1 standin=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$("$source/sample/make-sample-tree.sh" "$work")

status=0
HOLDFAST_BTRIEVE_LIBRARY=$standin HOLDFAST_STANDIN_STATE=$work/state \
HOLDFAST_STANDIN_JOURNAL=$work/journal \
  valgrind -q --error-exitcode=1 --leak-check=full \
    --errors-for-leak-kinds=definite \
    "$program" "$tree/*.DAT" -S -B -O >"$work/out" 2>"$work/err" </dev/null ||
  status=$?
cat "$work/out" "$work/err"
if [ "$status" -ne 0 ]; then
  echo "valgrind-run: exit status $status" >&2
  exit 1
fi
grep -q 'HOLDFAST Complete for 5 Files\.' "$work/err"
# One block, the five files that open, and the closing Reset.
[ "$(cut -f1 "$work/journal" | grep -c '^op=42')" -eq 1 ]
tail -n1 "$work/journal" | grep -q '^op=28'
echo "valgrind-run: clean"
