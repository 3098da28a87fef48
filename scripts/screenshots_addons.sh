#!/usr/bin/env bash
# scripts/screenshots_addons.sh: screenshots of the add-on window under Xvfb
# (64-bit build) with rows in all three lists, ticks and exclusion marks,
# with an English and with a Korean user interface. Saved to
# build/screenshots/ as addons-<language>.png (the virtual desktop) and
# addons-<language>-window.png (its middle, where the window is centred).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${VANTREL_BUILD_ROOT:-$root/build}
build=$builds/win64
shots=$builds/screenshots
. "$root/tests/wine/env.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build" -j2 --target show_bho_window wait_window >/dev/null || exit 1
mkdir -p "$shots"

# A prefix of its own, apart from the tests' one (the tool registers add-ons there).
vantrel_wine_env "$builds/shots-win64"
locale_dir=$(vantrel_korean_locale)
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
bin=$build/bin
lang=$build/resources/lang

shoot() {
  local language=$1 pid
  if [ "$language" = korean ]; then
    LOCPATH=$locale_dir LC_ALL=ko_KR.UTF-8 "$VANTREL_WINE" "$bin/show_bho_window.exe" "$lang" >/dev/null 2>&1 &
  else
    env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" "$bin/show_bho_window.exe" "$lang" >/dev/null 2>&1 &
  fi
  pid=$!
  if ! "$VANTREL_WINE" "$bin/wait_window.exe" TBHOForm 30000 >/dev/null 2>&1; then
    echo "no TBHOForm window for $language" >&2
    kill "$pid" 2>/dev/null
    return 1
  fi
  sleep 1
  import -display "$DISPLAY" -window root "$shots/addons-$language.png"
  /usr/bin/convert "$shots/addons-$language.png" -crop 900x600+62+84 +repage "$shots/addons-$language-window.png"
  echo "addons-$language.png"
  "$VANTREL_WINE" "$bin/wait_window.exe" TBHOForm 10000 --close >/dev/null 2>&1
  wait "$pid" 2>/dev/null
}

status=0
for language in english korean; do
  shoot "$language" || status=1
done
vantrel_wine_down
echo "Screenshots in $shots"
exit $status
