#!/usr/bin/env bash
# Builds Vantrel and starts it under Wine.
#  - With a display ($DISPLAY set) the program runs there until it is ended
#    through its tray menu (Close).
#  - Without a display a virtual one is started; once the main window shows,
#    a screenshot is saved (the path is printed) and the program is closed.
# Where this machine's kernel runs 32-bit programs the shipped 32-bit build is
# started under the machine's 32-bit Wine; otherwise the 64-bit build of the
# same sources. VANTREL_FORCE_WINE_ROOT=1 starts the 32-bit build under Wine 10
# from its root folder (see tests/wine/env.sh) on any machine.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}
"$root/scripts/setup.sh" || exit 1
. "$root/tests/wine/env.sh"

if [ "${VANTREL_FORCE_WINE_ROOT:-0}" != 0 ] || vantrel_machine_wine32_runs; then
  arch=win32; toolchain=mingw-i686.cmake
else
  arch=win64; toolchain=mingw-x86_64.cmake
fi
dir=$build/$arch  # the folder scripts/test.sh builds (with its tests); only two targets here
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" >/dev/null || exit 1
cmake --build "$dir" -j "$(nproc)" --target Vantrel wait_window >/dev/null || exit 1

# A prefix of its own, apart from the tests' one; the program lives in C:\Vantrel.
vantrel_wine_env "$build/run-$arch" "$arch"
headless=0
if [ -n "${DISPLAY:-}" ]; then export VANTREL_USE_DISPLAY=$DISPLAY; else headless=1; fi
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
echo "The $arch build of Vantrel runs under $VANTREL_WINE_DESC."
progdir=$WINEPREFIX/drive_c/Vantrel
mkdir -p "$progdir"
cp "$dir/bin/Vantrel.exe" "$progdir/"

if [ $headless = 0 ]; then
  echo "Vantrel is running on $DISPLAY (end it through the tray icon's menu: Close)."
  "$VANTREL_WINE" 'C:\Vantrel\Vantrel.exe'
  vantrel_wine_down
  exit 0
fi

"$VANTREL_WINE" 'C:\Vantrel\Vantrel.exe' >/dev/null 2>&1 &
pid=$!
shots=$build/screenshots
mkdir -p "$shots"
if vantrel_shoot_main_window "$shots/run-main.png" "$dir/bin"; then
  echo "Screenshot of the main window: $shots/run-main.png"
else
  echo "The main window did not appear within 60 s." >&2
fi
wait $pid 2>/dev/null
vantrel_wine_down
