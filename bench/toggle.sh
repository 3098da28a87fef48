#!/usr/bin/env bash
# bench/toggle.sh [RUNS]: wall time of the tweak toggle from the confirmed
# question to the status view, against its floor (1,000 ms of pauses plus a
# renewal timed in the same run), as a windowed program like Vantrel.exe,
# in the 64-bit build under Wine (headless). Prints each run and the median.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win64
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" -j2 --target toggle_bench >/dev/null
"$root/tests/wine/run-under-wine" "$build/bin/toggle_bench.exe" "${1:-6}"
