#!/usr/bin/env bash
# Builds everything and runs every test:
#   build/host        the pure code and its tests (native gtest)
#   build/host-asan   the same under AddressSanitizer and UBSan
#   build/fuzz        the parsers' libFuzzer targets, each run briefly
#   build/win32       the shipped 32-bit Vantrel.exe, VantrelUpdate.exe, Schedlet.dll,
#                     checked as files, and every Windows test in 32-bit, run under
#                     32-bit Wine (the machine's, else Wine 10 in WoW64 mode from a
#                     root folder: see tests/wine/env.sh)
#   build/win64       the same sources and tests for 64-bit Windows under 64-bit
#                     Wine: covers what the chosen 32-bit Wine cannot do
# Windows tests run in throwaway prefixes under Xvfb. Knobs:
#   VANTREL_FORCE_WINE_ROOT=1   the 32-bit tests use the Wine root even where
#                               the machine's 32-bit Wine works
#   VANTREL_FUZZ_SECONDS=N      time of each fuzz target (default 10)
#   VANTREL_SKIP_WIN64=1        leave out the 64-bit build and its tests
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}
jobs=$(nproc)
started=$(date +%s)
"$root/scripts/setup.sh" || exit 1
. "$root/tests/wine/env.sh"

status=0
win32_skipped=0
step() { echo; echo "=== $* ($(( $(date +%s) - started )) s)"; }
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure() {  # DIR [ARGS...]
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@" >/dev/null || return 1
}

# Windows tests of one build folder under the Wine that env.sh picks for it.
windows_tests() {  # DIR ARCH
  local dir=$1 arch=$2
  vantrel_wine_env "$dir" "$arch"
  vantrel_wine_down >/dev/null 2>&1
  vantrel_wine_up
  case $? in
    0) ;;
    3) echo "SKIPPED: every test of the $arch build. This machine cannot start a 32-bit Windows program"
       echo "  under any Wine (its kernel runs no 32-bit code, which the 32-bit Wine and WoW64 mode both need)."
       echo "  The 32-bit deliverables were checked as files above; the 64-bit build runs the same tests below."
       win32_skipped=1
       return ;;
    *) status=1; return ;;
  esac
  echo "Windows tests of $dir ($arch build) under $VANTREL_WINE_DESC, prefix $WINEPREFIX"
  rm -rf "$dir/test-results"
  (cd "$dir" && VANTREL_TEST_RESULTS=$dir/test-results ctest --output-on-failure --timeout 900) || status=1
  vantrel_wine_down
  echo "Results of $dir ($arch) under $VANTREL_WINE_DESC:"
  python3 "$root/tests/wine/summarize-results" "$dir/test-results"
}

step "host build and tests"
configure "$build/host" && cmake --build "$build/host" -j "$jobs" || exit 1
(cd "$build/host" && ctest --output-on-failure) || status=1
"$root/scripts/layer_graph.sh" --check || status=1

step "host tests under AddressSanitizer and UndefinedBehaviorSanitizer"
configure "$build/host-asan" -DVANTREL_SANITIZE=ON && cmake --build "$build/host-asan" -j "$jobs" || exit 1
(cd "$build/host-asan" && ctest --output-on-failure) || status=1

step "fuzz targets of the parsers, ${VANTREL_FUZZ_SECONDS:-10} s each"
"$root/scripts/fuzz.sh" "${VANTREL_FUZZ_SECONDS:-10}" || status=1

step "32-bit Windows build: the deliverables and the Windows tests"
configure "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DVANTREL_BUILD_TESTS=ON &&
  cmake --build "$build/win32" -j "$jobs" || exit 1
python3 "$root/tools/check_deliverables.py" "$build/win32/bin" i686 || status=1
windows_tests "$build/win32" win32

# The 64-bit suite always runs when the 32-bit one could not.
if [ "${VANTREL_SKIP_WIN64:-0}" = 0 ] || [ $win32_skipped = 1 ]; then
  step "64-bit Windows build and tests"
  configure "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" &&
    cmake --build "$build/win64" -j "$jobs" || exit 1
  python3 "$root/tools/check_deliverables.py" "$build/win64/bin" x86_64 || status=1
  windows_tests "$build/win64" win64
fi

echo
echo "scripts/test.sh took $(( $(date +%s) - started )) s"
if [ $status = 0 ]; then echo "all tests passed"; else echo "SOME TESTS FAILED"; fi
exit $status
