#!/usr/bin/env bash
# scripts/screenshots_settings.sh: screenshots of the settings window under
# Xvfb (64-bit build), empty (no settings file, launchers not in use) and
# filled (both reset options, start with Windows, three program launchers
# with the second program page shown, two site launchers), with an English
# and with a Korean user interface. Saved to build/screenshots/ as
# settings-<state>-<language>.png (the virtual desktop) and
# settings-<state>-<language>-window.png (its middle, where the window is centred).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${VANTREL_BUILD_ROOT:-$root/build}
build=$builds/win64
shots=$builds/screenshots
. "$root/tests/wine/env.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build" -j2 --target show_set_env_window wait_window >/dev/null || exit 1
mkdir -p "$shots"

# A prefix of its own, apart from the tests' one.
vantrel_wine_env "$builds/shots-win64"
locale_dir=$(vantrel_korean_locale)
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
bin=$build/bin
lang=$build/resources/lang
ini='C:\users\Public\Vantrel-shots.ini'

# shoot STATE LANGUAGE
shoot() {
  local state=$1 language=$2 pid name=settings-$1-$2
  if [ "$language" = korean ]; then
    LOCPATH=$locale_dir LC_ALL=ko_KR.UTF-8 "$VANTREL_WINE" "$bin/show_set_env_window.exe" "$state" "$lang" "$ini" >/dev/null 2>&1 &
  else
    env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" "$bin/show_set_env_window.exe" "$state" "$lang" "$ini" >/dev/null 2>&1 &
  fi
  pid=$!
  if ! "$VANTREL_WINE" "$bin/wait_window.exe" TSetEnvForm 30000 >/dev/null 2>&1; then
    echo "no settings window for $name" >&2
    kill "$pid" 2>/dev/null
    return 1
  fi
  sleep 1
  import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$shots/$name.png"
  /usr/bin/convert "$shots/$name.png" -crop 470x540+277+114 +repage "$shots/$name-window.png"
  echo "$name.png"
  "$VANTREL_WINE" "$bin/wait_window.exe" TSetEnvForm 10000 --close >/dev/null 2>&1
  wait "$pid" 2>/dev/null
}

status=0
for language in english korean; do
  shoot empty "$language" || status=1
  shoot filled "$language" || status=1
done
vantrel_wine_down
echo "Screenshots in $shots"
exit $status
