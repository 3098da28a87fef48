#!/usr/bin/env bash
# bench/hdd_clean.sh [FILES]: the disk cleanup worker emptying a Firefox cache
# of FILES files (default 20,000) below a scratch profile, next to
# "cmd /c rd /s /q" of the same tree under Wine: both times and their ratio.
# Builds the 64-bit Windows build and runs the bench program under Wine.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}/win64
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" -j2 --target hdd_bench >/dev/null
"$root/tests/wine/run-under-wine" "$build/bin/hdd_bench.exe" "${1:-20000}" | tr -d '\r' |
  grep -E '^(files:|worker:|rd /s /q:|ratio)'
