#!/usr/bin/env bash
# bench/tweak_run.sh [RUNS]: the wall time of whole tweak runs (connection
# list, address filter, registry writes, "ipconfig /renew", both pauses)
# against their floor (1,000 ms of fixed pauses plus a renewal timed in the
# same run), printed as both and their ratio. The bench is a windowed program.
# Builds the 64-bit Windows build and runs the bench program under Wine,
# against a scratch interface key of its own.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}/win64
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" -j2 --target tweak_bench >/dev/null
# The console output of "ipconfig /renew" (under Wine a usage error) is left out.
"$root/tests/wine/run-under-wine" "$build/bin/tweak_bench.exe" "${1:-4}" | tr -d '\r' |
  grep -E "^(local address:|floor:|run [0-9]+ |mean:)"
