#!/bin/sh
# Makes the Wine prefix of a test run once: prefix.sh PREFIX.
# Quiet, no GUI prompts; safe when several tests start at the same time.
set -eu
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
[ -e "$prefix/.holdfast-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -e "$prefix/.holdfast-ready" ] && exit 0
# A prefix left half made by an interrupted run is started again.
rm -rf "$prefix"
wineboot -i >/dev/null 2>&1 </dev/null
# The session that made it ends first, so its registry is on disk and the
# next program starts a fresh, quick one.
wineserver -w
touch "$prefix/.holdfast-ready"
