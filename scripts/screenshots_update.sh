#!/usr/bin/env bash
# scripts/screenshots_update.sh: the updater window during a slow download
# (the local test server paces its body), then the failure message after the
# window is closed, with an English and with a Korean user interface, under
# Xvfb (64-bit build). Saved to build/screenshots/ as
# update-<what>-<language>.png (the virtual desktop) and
# update-<what>-<language>-window.png (its middle).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${VANTREL_BUILD_ROOT:-$root/build}
build=$builds/win64
shots=$builds/screenshots
. "$root/tests/wine/env.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build" -j2 --target VantrelUpdate wait_window >/dev/null || exit 1
mkdir -p "$shots"

work=$(mktemp -d)
trap 'kill $server 2>/dev/null; rm -rf "$work"' EXIT
# The scripted server on 127.0.0.1, a free port, ending by itself after 5 minutes.
python3 "$root/tests/support/http_test_server.py" "$work/port" 300 &
server=$!
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
# 2 MB in pieces of 20 kB every 100 ms: about ten seconds.
python3 - "$port" <<'PY'
import sys, urllib.request
body = b'{"path": "/slow.exe", "body_size": 2000000, "pace": [20000, 100]}'
urllib.request.urlopen(urllib.request.Request("http://127.0.0.1:%s/__route" % sys.argv[1], data=body), timeout=5).read()
PY

# A prefix of its own, apart from the tests' one.
vantrel_wine_env "$builds/shots-win64"
locale_dir=$(vantrel_korean_locale)
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
bin=$build/bin

crop() {  # NAME: the middle of the 1024 x 768 desktop, where the window is centred
  import -display "$DISPLAY" -window root "$shots/update-$1.png"
  /usr/bin/convert "$shots/update-$1.png" -crop 420x220+302+274 +repage "$shots/update-$1-window.png"
  echo "update-$1.png"
}

status=0
for language in english korean; do
  folder=$work/$language
  mkdir -p "$folder"
  cp "$bin/VantrelUpdate.exe" "$folder/"
  echo old > "$folder/Vantrel.exe"
  url="http://127.0.0.1:$port/slow.exe"
  args=(28800000 "NONE" "$url" "$url" "Vantrel.exe")
  if [ "$language" = korean ]; then
    LOCPATH=$locale_dir LC_ALL=ko_KR.UTF-8 "$VANTREL_WINE" "$folder/VantrelUpdate.exe" "${args[@]}" >/dev/null 2>&1 &
  else
    env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" "$folder/VantrelUpdate.exe" "${args[@]}" >/dev/null 2>&1 &
  fi
  pid=$!
  if ! "$VANTREL_WINE" "$bin/wait_window.exe" TUpdateDialog 30000 >/dev/null 2>&1; then
    echo "no updater window ($language)" >&2
    kill "$pid" 2>/dev/null
    status=1
    continue
  fi
  sleep 3
  crop "download-$language"
  # Closing the window stops the download: the failure message follows.
  "$VANTREL_WINE" "$bin/wait_window.exe" TUpdateDialog 5000 --close >/dev/null 2>&1
  if "$VANTREL_WINE" "$bin/wait_window.exe" '#32770' 15000 >/dev/null 2>&1; then
    sleep 1
    crop "failed-$language"
    "$VANTREL_WINE" "$bin/wait_window.exe" '#32770' 5000 --close >/dev/null 2>&1
  else
    echo "no failure message ($language)" >&2
    status=1
  fi
  wait "$pid" 2>/dev/null
done
vantrel_wine_down
echo "Screenshots in $shots"
exit $status
