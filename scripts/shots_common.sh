# Sourced by the screenshot scripts of the tool windows: each starts a small
# tool that shows one window in a given state, under Xvfb in a Wine prefix of
# its own (64-bit build), once with an English and once with a Korean user
# interface, and saves the Wine desktop and the window's part of it.

# shots_begin TARGET PREFIX: builds the tool TARGET and wait_window, starts a
# Wine session in build/PREFIX; sets bin, lang, shots for shots_take.
shots_begin() {
  local target=$1 prefix=$2
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  builds=${VANTREL_BUILD_ROOT:-$root/build}
  build=$builds/win64
  shots=$builds/screenshots
  . "$root/tests/wine/env.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || return 1
  cmake --build "$build" -j2 --target "$target" wait_window >/dev/null || return 1
  mkdir -p "$shots"
  vantrel_wine_env "$builds/$prefix"
  shots_locale=$(vantrel_korean_locale)
  vantrel_wine_down >/dev/null 2>&1
  vantrel_wine_up || return 1
  bin=$build/bin
  lang=$build/resources/lang
}

# shots_take NAME LANGUAGE CLASS CROP TOOL [ARGS...]: runs TOOL.exe ARGS in
# LANGUAGE (english or korean), waits for a window of CLASS, saves the desktop
# as NAME.png and its CROP (WxH+X+Y) as NAME-window.png, closes the window.
shots_take() {
  local name=$1 language=$2 class=$3 crop=$4 tool=$5 pid
  shift 5
  if [ "$language" = korean ]; then
    LOCPATH=$shots_locale LC_ALL=ko_KR.UTF-8 "$VANTREL_WINE" "$bin/$tool.exe" "$@" >/dev/null 2>&1 &
  else
    env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" "$bin/$tool.exe" "$@" >/dev/null 2>&1 &
  fi
  pid=$!
  if ! "$VANTREL_WINE" "$bin/wait_window.exe" "$class" 30000 >/dev/null 2>&1; then
    echo "no $class window for $name" >&2
    kill "$pid" 2>/dev/null
    return 1
  fi
  sleep 1
  import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$shots/$name.png"
  /usr/bin/convert "$shots/$name.png" -crop "$crop" +repage "$shots/$name-window.png"
  echo "$name.png"
  "$VANTREL_WINE" "$bin/wait_window.exe" "$class" 10000 --close >/dev/null 2>&1
  wait "$pid" 2>/dev/null
}

shots_end() {
  vantrel_wine_down
  echo "Screenshots in $shots"
}
