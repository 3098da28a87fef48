#!/usr/bin/env bash
# Builds everything and runs every test:
#   host build      - the pure code and its tests (native gtest)
#   build/win32     - the shipped 32-bit Vantrel.exe, VantrelUpdate.exe, Schedlet.dll,
#                     checked by inspecting the files
#   build/win64     - the same sources for 64-bit Windows with all Windows tests,
#                     run under 64-bit Wine in a throwaway prefix under Xvfb
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}
jobs=$(nproc)
"$root/scripts/setup.sh" || exit 1
. "$root/tests/wine/env.sh"

status=0
step() { echo; echo "=== $*"; }

configure() {  # DIR [ARGS...]
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null || return 1
}

step "host build and tests"
configure "$build/host" && cmake --build "$build/host" -j "$jobs" || exit 1
(cd "$build/host" && ctest --output-on-failure) || status=1
"$root/scripts/layer_graph.sh" --check || status=1

step "32-bit Windows deliverables"
configure "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DVANTREL_BUILD_TESTS=OFF &&
  cmake --build "$build/win32" -j "$jobs" || exit 1
python3 "$root/tools/check_deliverables.py" "$build/win32/bin" i686 || status=1

step "64-bit Windows build and tests under Wine"
configure "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" &&
  cmake --build "$build/win64" -j "$jobs" || exit 1
python3 "$root/tools/check_deliverables.py" "$build/win64/bin" x86_64 || status=1
vantrel_wine_env "$build/win64"
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
(cd "$build/win64" && ctest --output-on-failure --timeout 900) || status=1
vantrel_wine_down

echo
if [ $status = 0 ]; then echo "all tests passed"; else echo "SOME TESTS FAILED"; fi
exit $status
