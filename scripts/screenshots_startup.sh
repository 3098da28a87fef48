#!/usr/bin/env bash
# scripts/screenshots_startup.sh: screenshots of the start-up program window
# under Xvfb (64-bit build) with rows in both lists (sample Run values of both
# machine views and of the user, a Startup-folder file, stand-in scheduled
# tasks), some rows selected and some excluded, with an English and with a
# Korean user interface. Saved to build/screenshots/ as
# startup-<language>.png (the virtual desktop) and startup-<language>-window.png
# (its middle, where the window is centred).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${VANTREL_BUILD_ROOT:-$root/build}
build=$builds/win64
shots=$builds/screenshots
. "$root/tests/wine/env.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build" -j2 --target show_startup_window wait_window >/dev/null || exit 1
mkdir -p "$shots"

# A prefix of its own, apart from the tests' one (the tool writes sample Run values).
vantrel_wine_env "$builds/shots-startup-win64"
locale_dir=$(vantrel_korean_locale)
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
bin=$build/bin
lang=$build/resources/lang

shoot() {
  local language=$1 pid
  if [ "$language" = korean ]; then
    LOCPATH=$locale_dir LC_ALL=ko_KR.UTF-8 "$VANTREL_WINE" "$bin/show_startup_window.exe" "$lang" >/dev/null 2>&1 &
  else
    env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" "$bin/show_startup_window.exe" "$lang" >/dev/null 2>&1 &
  fi
  pid=$!
  if ! "$VANTREL_WINE" "$bin/wait_window.exe" TStartProgramForm 30000 >/dev/null 2>&1; then
    echo "no start-up window for $language" >&2
    kill "$pid" 2>/dev/null
    return 1
  fi
  sleep 1
  import -display "$DISPLAY" -window root "$shots/startup-$language.png"
  /usr/bin/convert "$shots/startup-$language.png" -crop 900x540+62+114 +repage "$shots/startup-$language-window.png"
  echo "startup-$language.png"
  "$VANTREL_WINE" "$bin/wait_window.exe" TStartProgramForm 10000 --close >/dev/null 2>&1
  wait "$pid" 2>/dev/null
}

status=0
for language in english korean; do
  shoot "$language" || status=1
done
vantrel_wine_down
echo "Screenshots in $shots"
exit $status
