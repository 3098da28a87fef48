#!/usr/bin/env bash
# bench/startup_window.sh [RUNS]: the start-up program window created and
# filled from 2,000 Run values and 500 Startup-folder files, next to
# "reg query" of the same Run key, as times and their ratio. Builds the
# 64-bit Windows build and runs the bench program under Wine, against the
# registry override's scratch keys and a scratch folder.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}/win64
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" -j2 --target startup_window_bench >/dev/null
"$root/tests/wine/run-under-wine" "$build/bin/startup_window_bench.exe" "${1:-3}" | tr -d '\r' | grep -E '^(run [0-9]+|mean:)'
