#!/bin/bash
# Keys typed into holdfast.exe's console under Wine: a lone Esc stops a
# search run, a cursor key does not.
# Usage: console-keys.sh BUILD_DIR WINEPREFIX
# The prefix is this test's alone: its Wine session is bound to this test's
# X display and is ended with it.
set -u
build=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

for tool in Xvfb xdotool wine wineconsole; do
  command -v "$tool" >/dev/null ||
    skip "$tool is not installed (Debian packages: xvfb xdotool wine)"
done
"$here/prefix.sh" "$prefix" || fail "cannot make the Wine prefix $prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
unset HOLDFAST_BTRIEVE_LIBRARY HOLDFAST_STANDIN_FAULTS
# A session started without a display (wineboot's) would keep the console
# off screen.
wineserver -k 2>/dev/null
wineserver -w

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "${HOLDFAST_KEEP_WORK:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -nolisten tcp -screen 0 800x600x24 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# run_case NAME KEY...: holdfast.exe data\*.DAT /S in a console window, the
# keys typed before it starts. Leaves out.txt, err.txt, journal.txt, status.
run_case() {
  local name=$1
  shift
  local dir=$work/$name
  mkdir -p "$dir/data/sub"
  # Found by its default name, beside the program.
  cp "$build/holdfast.exe" "$build/wbtrv32.dll" "$build/console-gate.exe" \
    "$dir/"
  for f in data/A.DAT data/B.DAT data/sub/C.DAT; do
    printf 'STANDIN-BTRIEVE\n' >"$dir/$f"
    truncate -s 2048 "$dir/$f"
  done
  # Skipped with a message and status 4: shows the status comes back.
  printf 'STANDIN-BTRIEVE\n' >"$dir/data/sub/x,y.DAT"
  truncate -s 2048 "$dir/data/sub/x,y.DAT"
  (
    cd "$dir" &&
      HOLDFAST_STANDIN_JOURNAL=$(windows_path "$dir/journal.txt") \
      HOLDFAST_STANDIN_STATE=$(windows_path "$dir/state") \
      timeout 180 wine start /wait wineconsole cmd /c \
        'console-gate.exe gate & holdfast.exe data\*.DAT /S > out.txt 2> err.txt' \
        </dev/null >wine.log 2>&1
    echo $? >"$dir/status"
  ) &
  local run=$!
  local window=
  # A fresh session can take a while to show its first window.
  for _ in $(seq 240); do
    kill -0 "$run" 2>/dev/null || fail "$name: the run ended before its console showed"
    window=$(xdotool search --onlyvisible --name 'cmd\.exe' 2>/dev/null |
             head -n1)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || fail "$name: no console window appeared"
  xdotool windowfocus --sync "$window" key --delay 100 "$@" ||
    fail "$name: xdotool could not type"
  # Time for the console to take the keys from the X server.
  sleep 1
  touch "$dir/gate"
  wait "$run"
  # The next window gets a session of its own.
  wineserver -w
  cd "$dir"
}

expect_file() {
  printf "$2" >expected
  cmp -s expected "$1" ||
    fail "$name: $1 is $(od -c "$1" | head -n 20), expected $(od -c expected)"
}

name=esc
run_case $name Escape
[ "$(cat status)" = 0 ] || fail "$name: exit status $(cat status), expected 0"
expect_file err.txt 'Searching for <*.DAT>...\r\nPress <Esc> to terminate HOLDFAST.\r\nHOLDFAST Terminated Early.\r\n'
expect_file out.txt ''
[ "$(cut -f1 journal.txt)" = op=28 ] ||
  fail "$name: the engine got $(cut -f1 journal.txt | tr '\n' ' '), expected only the Reset"
echo "ok: a lone Esc stops the run"

name=up
run_case $name Up
[ "$(cat status)" = 4 ] || fail "$name: exit status $(cat status), expected 4"
grep -q 'Terminated Early' err.txt && fail "$name: the cursor key stopped the run"
tail -c 34 err.txt >tail.txt
expect_file tail.txt '\r\nHOLDFAST Complete for 3 Files.\r\n'
[ "$(cut -f1 journal.txt | tr '\n' ' ')" = 'op=42 op=42 op=42 op=28 ' ] ||
  fail "$name: the engine got $(cut -f1 journal.txt | tr '\n' ' ')"
echo "ok: a cursor key does not stop the run"
