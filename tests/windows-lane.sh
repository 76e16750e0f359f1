#!/usr/bin/env bash
# The Windows lane: MinGW-w64 cross builds for x64 and x86 with warnings as
# errors, the package and the 32-bit entry checked, then every x64 test run
# under Wine. Ends with ctest's summary and its exit status.
# Usage: tests/windows-lane.sh [BUILD_ROOT]   (default: build)
set -eu
cd "$(dirname "$0")/.."
root=${1:-build}
x64=$root/windows-x64
x86=$root/windows-x86

packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64
          xvfb xdotool googletest)

have_tools() {
  command -v x86_64-w64-mingw32-g++-posix &&
    command -v i686-w64-mingw32-g++-posix && command -v wine &&
    command -v wineserver && [ -d /usr/src/googletest ]
} >/dev/null

if ! have_tools && [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  echo "Installing: ${packages[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${packages[@]}" >/dev/null 2>&1 || true
fi
if ! have_tools; then
  echo "Windows lane skipped: MinGW-w64 or Wine cannot be installed here" \
       "(Debian packages: ${packages[*]})."
  exit 0
fi

fail() { echo "Windows lane FAILED: $*" >&2; exit 1; }

# Only the system's own DLLs: the MinGW runtime is linked in statically.
check_imports() {
  local objdump=$1 file
  shift
  for file in "$@"; do
    "$objdump" -p "$file" | grep 'DLL Name:' |
      grep -i -E 'libstdc|libgcc|libwinpthread' &&
      fail "$file needs a MinGW runtime DLL"
  done
  return 0
}

# GetProcAddress looks for the plain name, even where __stdcall decorates.
check_entry() {
  "$1" -p "$2" | grep -q -E '^[[:space:]]*\[ *[0-9]+\] BTRCALLID$' ||
    fail "$2 does not export plain BTRCALLID"
}

echo "== Windows lane: x64 build"
cmake --preset windows-x64 -B "$x64" -DHOLDFAST_WERROR=ON >/dev/null
cmake --build "$x64"
check_entry x86_64-w64-mingw32-objdump "$x64/wbtrv32.dll"
check_imports x86_64-w64-mingw32-objdump "$x64"/*.exe "$x64"/*.dll

echo "== Windows lane: x86 build (built and checked, not run)"
cmake --preset windows-x86 -B "$x86" -DHOLDFAST_WERROR=ON >/dev/null
cmake --build "$x86"
check_entry i686-w64-mingw32-objdump "$x86/wbtrv32.dll"
check_imports i686-w64-mingw32-objdump "$x86"/*.exe "$x86"/*.dll

echo "== Windows lane: install and ZIP package"
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
cmake --install "$x64" --prefix "$staging/install" >/dev/null
installed=$(cd "$staging/install" && find . -type f | sort | tr '\n' ' ')
[ "$installed" = "./README.md ./holdfast.exe " ] ||
  fail "cmake --install put in: $installed"
rm -f "$x64"/holdfast-*.zip
cmake --build "$x64" --target package >/dev/null
zip=$(ls "$x64"/holdfast-*.zip)
packed=$(cmake -E tar tf "$zip" | grep -v '/$' | sed 's|.*/||' | sort | tr '\n' ' ')
[ "$packed" = "README.md holdfast.exe " ] || fail "$zip holds: $packed"
echo "$zip: $packed"

echo "== Windows lane: x64 tests under Wine"
prefix=$(cd "$x64" && pwd)/wine-prefix
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
tests/wine/prefix.sh "$prefix"
tests/wine/prefix.sh "$prefix-console"
# One Wine session for all the tests instead of one per test, started here
# so that no test's time limit pays for it.
wineserver -p
timeout 300 wine cmd /c exit >/dev/null 2>&1 </dev/null ||
  fail "Wine does not start programs"
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null; rm -rf "$staging"' EXIT
ctest --test-dir "$x64" -j "$(nproc)" --output-on-failure
