#!/usr/bin/env bash
# scripts/screenshots_hdd.sh: screenshots of the disk cleanup window under Xvfb
# (64-bit build): before a run and during one (bar, animation, disabled
# options), with an English and with a Korean user interface. Saved to
# build/screenshots/ as hdd-<state>-<language>.png (the virtual desktop) and
# hdd-<state>-<language>-window.png (its middle, where the window is centred).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${VANTREL_BUILD_ROOT:-$root/build}
build=$builds/win64
shots=$builds/screenshots
. "$root/tests/wine/env.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build" -j2 --target show_hdd_window wait_window >/dev/null || exit 1
mkdir -p "$shots"

# A prefix of its own, apart from the tests' one.
vantrel_wine_env "$builds/shots-hdd-win64"
locale_dir=$(vantrel_korean_locale)
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
bin=$build/bin
lang=$build/resources/lang

# shoot NAME CLASS LANGUAGE KIND
shoot() {
  local name=$1 class=$2 language=$3 kind=$4 pid
  if [ "$language" = korean ]; then
    LOCPATH=$locale_dir LC_ALL=ko_KR.UTF-8 "$VANTREL_WINE" "$bin/show_hdd_window.exe" "$kind" "$lang" >/dev/null 2>&1 &
  else
    env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" "$bin/show_hdd_window.exe" "$kind" "$lang" >/dev/null 2>&1 &
  fi
  pid=$!
  if ! "$VANTREL_WINE" "$bin/wait_window.exe" "$class" 30000 >/dev/null 2>&1; then
    echo "no $class window for $name-$language" >&2
    kill "$pid" 2>/dev/null
    return 1
  fi
  sleep 1
  import -display "$DISPLAY" -window root "$shots/hdd-$name-$language.png"
  /usr/bin/convert "$shots/hdd-$name-$language.png" -crop 460x440+282+164 +repage \
    "$shots/hdd-$name-$language-window.png"
  echo "hdd-$name-$language.png"
  "$VANTREL_WINE" "$bin/wait_window.exe" "$class" 10000 --close >/dev/null 2>&1
  wait "$pid" 2>/dev/null
}

status=0
for language in english korean; do
  shoot before THddForm "$language" idle || status=1
  shoot running THddForm "$language" running || status=1
done
vantrel_wine_down
echo "Screenshots in $shots"
exit $status
