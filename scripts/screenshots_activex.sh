#!/usr/bin/env bash
# scripts/screenshots_activex.sh: screenshots of the ActiveX window with four
# sample controls (two ticked, sorted by name) under Xvfb (64-bit build), with
# an English and with a Korean user interface. Saved to build/screenshots/ as
# activex-<language>.png (the virtual desktop) and activex-<language>-window.png
# (its middle, where the window is centred).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${VANTREL_BUILD_ROOT:-$root/build}
build=$builds/win64
shots=$builds/screenshots
. "$root/tests/wine/env.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build" -j2 --target show_activex_window wait_window >/dev/null || exit 1
mkdir -p "$shots"

# A prefix of its own, apart from the tests' one.
vantrel_wine_env "$builds/shots-win64"
locale_dir=$(vantrel_korean_locale)
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
bin=$build/bin
lang=$build/resources/lang

status=0
for language in english korean; do
  if [ "$language" = korean ]; then
    LOCPATH=$locale_dir LC_ALL=ko_KR.UTF-8 "$VANTREL_WINE" "$bin/show_activex_window.exe" "$lang" >/dev/null 2>&1 &
  else
    env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" "$bin/show_activex_window.exe" "$lang" >/dev/null 2>&1 &
  fi
  pid=$!
  if ! "$VANTREL_WINE" "$bin/wait_window.exe" TInitActiveXForm 30000 >/dev/null 2>&1; then
    echo "no TInitActiveXForm window for $language" >&2
    kill "$pid" 2>/dev/null
    status=1
    continue
  fi
  sleep 1
  import -display "$DISPLAY" -window root "$shots/activex-$language.png"
  /usr/bin/convert "$shots/activex-$language.png" -crop 900x470+62+149 +repage "$shots/activex-$language-window.png"
  echo "activex-$language.png"
  "$VANTREL_WINE" "$bin/wait_window.exe" TInitActiveXForm 10000 --close >/dev/null 2>&1
  wait "$pid" 2>/dev/null
done
vantrel_wine_down
echo "Screenshots in $shots"
exit $status
