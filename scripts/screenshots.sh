#!/usr/bin/env bash
# Screenshots of the main window under Xvfb, in the 64-bit build (the one
# this machine's Wine runs): with the defaults, with four program and three
# site launchers, and with the menu hidden; each in English and in Korean.
# Saved as build/screenshots/main-<case>-<en|ko>.png (the 1024 x 768 Wine
# desktop). Uses a Wine prefix of its own (build/shots-win64).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}
dir=$build/win64
. "$root/tests/wine/env.sh"

if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
fi
cmake --build "$dir" -j2 --target Vantrel wait_window >/dev/null || exit 1

vantrel_wine_env "$build/shots-win64"
vantrel_wine_down >/dev/null 2>&1
vantrel_wine_up || exit 1
trap vantrel_wine_down EXIT
locale=$(vantrel_korean_locale)
progdir=$WINEPREFIX/drive_c/Vantrel
shots=$build/screenshots
mkdir -p "$progdir" "$shots"
cp "$dir/bin/Vantrel.exe" "$progdir/"

# Settings files, CR LF, in the code page of the run (949 for Korean).
settings() {  # CASE LANG
  local names
  if [ "$2" = ko ]; then names=(메모장 계산기 레지스트리 탐색기 네이버 다음 구글); else
    names=(Notepad Calculator Registry Explorer "Site one" "Site two" "Site three"); fi
  case $1 in
    defaults) return 1 ;;
    menuhide) printf '[WINDOW]\nMENUHIDE=1\n' ;;
    launchers)
      printf '[PROGRAM_LAUNCHER]\nUSE=1\nNAME=%s\nPATH=C:\\windows\\notepad.exe\n' "${names[0]}"
      printf '[PROGRAM_LAUNCHER2]\nNAME=%s\nPATH=C:\\windows\\system32\\calc.exe\n' "${names[1]}"
      printf '[PROGRAM_LAUNCHER3]\nNAME=%s\nPATH=C:\\windows\\regedit.exe\n' "${names[2]}"
      printf '[PROGRAM_LAUNCHER4]\nNAME=%s\nPATH=C:\\windows\\explorer.exe\n' "${names[3]}"
      printf '[SITE_LAUNCHER]\nUSE=1\nNAME=%s\nPATH=http://one.example/\n' "${names[4]}"
      printf '[SITE_LAUNCHER2]\nNAME=%s\nPATH=http://two.example/\n' "${names[5]}"
      printf '[SITE_LAUNCHER3]\nNAME=%s\nPATH=http://three.example/\n' "${names[6]}" ;;
  esac
}

status=0
for lang in en ko; do
  for case in defaults launchers menuhide; do
    rm -f "$progdir/Vantrel.ini"
    if text=$(settings $case $lang); then
      if [ $lang = ko ]; then
        printf '%s\n' "$text" | sed 's/$/\r/' | iconv -f UTF-8 -t CP949 > "$progdir/Vantrel.ini"
      else
        printf '%s\n' "$text" | sed 's/$/\r/' > "$progdir/Vantrel.ini"
      fi
    fi
    if [ $lang = ko ]; then
      LC_ALL=ko_KR.UTF-8 LOCPATH=$locale "$VANTREL_WINE" 'C:\Vantrel\Vantrel.exe' >/dev/null 2>&1 &
    else
      env -u LC_ALL -u LANG -u LANGUAGE "$VANTREL_WINE" 'C:\Vantrel\Vantrel.exe' >/dev/null 2>&1 &
    fi
    pid=$!
    out=$shots/main-$case-$lang.png
    if vantrel_shoot_main_window "$out" "$dir/bin"; then
      echo "$out"
    else
      echo "main window did not appear ($case, $lang)" >&2
      status=1
    fi
    wait $pid 2>/dev/null
  done
done
rm -f "$progdir/Vantrel.ini"

# The tweak toggle's progress window and status view, in a session of their own.
vantrel_wine_down
trap - EXIT
"$root/scripts/screenshots_tweak.sh" || status=1
exit $status
