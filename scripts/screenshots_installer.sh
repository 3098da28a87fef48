#!/usr/bin/env bash
# scripts/screenshots_installer.sh [SETUP_EXE]: the installer's first page
# under Xvfb with an English and with a Korean user interface, saved as
# build/screenshots/installer-<en|ko>.png (the 1024 x 768 Wine desktop).
# SETUP_EXE defaults to the release's installer (build/release); a 64-bit
# one (made with -DTARGET=amd64-unicode, see tests/release/run.sh) runs
# where Wine runs no 32-bit program. Uses a Wine prefix of its own.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}
setup=${1:-$(ls "$build"/release/Vantrel-*-setup.exe 2>/dev/null | head -1)}
[ -f "$setup" ] || { echo "no installer (run scripts/release.sh first)" >&2; exit 1; }
. "$root/tests/wine/env.sh"
arch=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(4096); o=struct.unpack_from("<I",d,0x3C)[0]; print("win64" if struct.unpack_from("<H",d,o+4)[0]==0x8664 else "win32")' "$setup")
vantrel_wine_env "$build/shots-installer-$arch" "$arch"
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
trap vantrel_wine_down EXIT
locale=$(vantrel_korean_locale)
shots=$build/screenshots
mkdir -p "$shots" "$VANTREL_BUILD_DIR/files"
cp "$setup" "$VANTREL_BUILD_DIR/files/setup.exe"
wait_exe=$VANTREL_BUILD_DIR/files/wait_window.exe
bin=$build/$arch/bin
[ "$arch" = win32 ] && [ -f "$build/release-win32/bin/wait_window.exe" ] && bin=$build/release-win32/bin
cp "$bin/wait_window.exe" "$wait_exe" || exit 1

status=0
for lang in en ko; do
  if [ $lang = ko ]; then
    LC_ALL=ko_KR.UTF-8 LOCPATH=$locale "$VANTREL_WINE" "$VANTREL_BUILD_DIR/files/setup.exe" >/dev/null 2>&1 &
  else
    "$VANTREL_WINE" "$VANTREL_BUILD_DIR/files/setup.exe" >/dev/null 2>&1 &
  fi
  pid=$!
  if "$VANTREL_WINE" "$wait_exe" '#32770' 60000 >/dev/null 2>&1; then
    sleep 2
    import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$shots/installer-$lang.png"
    echo "$shots/installer-$lang.png"
  else
    echo "the installer's window did not appear ($lang)" >&2
    status=1
  fi
  # The wizard asks before it quits; end it with the session.
  "$VANTREL_WINESERVER" -k 2>/dev/null; "$VANTREL_WINESERVER" -w 2>/dev/null
  wait $pid 2>/dev/null
  "$VANTREL_WINESERVER" -p
done
exit $status
