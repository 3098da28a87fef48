#!/usr/bin/env bash
# installer_tests.sh ARCH FILES_DIR
# An installer and its uninstaller under Wine, in a throwaway prefix below
# build/release-tests: a silent install, the program started from the
# Start-menu shortcut's target, a silent uninstall that keeps the data folder,
# and the bad cases (a folder that is a file, a running program, an older
# installation, a folder with non-ASCII characters), and the removals that an
# uninstall told Yes makes. FILES_DIR holds setup.exe, setup-yes.exe (the same
# installer, its silent uninstaller answering Yes to its two questions), the
# Vantrel.exe they carry, wait_window.exe and shortcut_target.exe, all of
# ARCH (win32: the shipped installer; win64: the same script made for the
# 64-bit build, see run.sh). Prints one line per check.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
arch=${1:?usage: installer_tests.sh win32|win64 FILES_DIR}
source_files=$(cd "${2:?usage: installer_tests.sh win32|win64 FILES_DIR}" && pwd)
version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
build=${VANTREL_BUILD_ROOT:-$root/build}/release-tests-$arch

. "$root/tests/wine/env.sh"
vantrel_wine_env "$build" "$arch"
vantrel_wine_down >/dev/null 2>&1
rm -rf "$WINEPREFIX" "$build/files"
vantrel_wine_up || { echo "FAIL Wine did not start"; exit 1; }
trap vantrel_wine_down EXIT
echo "installer tests ($arch) under $VANTREL_WINE_DESC, prefix $WINEPREFIX"

# What the tests run, inside the build folder (the Wine root sees only that).
files=$build/files
mkdir -p "$files"
cp "$source_files"/{setup.exe,setup-yes.exe,Vantrel.exe,wait_window.exe,shortcut_target.exe} "$files/"

# Exit 77 when this Wine cannot run a program of ARCH at all (wait_window
# with no time to wait ends with 1).
"$VANTREL_WINE" "$files/wait_window.exe" NoSuchWindowClass 0 >/dev/null 2>&1
rc=$?
if [ $rc != 1 ]; then
  echo "installer tests ($arch): $VANTREL_WINE_DESC runs no $arch program here (exit $rc)"
  exit 77
fi

passed=0 failed=0
check() {  # NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
win() { "$VANTREL_WINE" "$@" 2>/dev/null; }
# C:\... as the prefix's Unix path (winepath and reg print in the console's
# code page, which cannot carry every name).
unix_path() { local p=${1#C:\\}; printf '%s\n' "$WINEPREFIX/drive_c/${p//\\//}"; }
# One value of a key, through a Unicode export: text, or 0x... for a number;
# exit 1 when missing.
reg_get() {  # KEY NAME VIEW(32|64)
  local out=$files/reg-export.reg
  rm -f "$out"
  win reg export "$1" 'Z:'"${out//\//\\}" /y "/reg:$3" >/dev/null || return 1
  python3 - "$out" "$2" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16")
for line in text.splitlines():
    m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
    if not m or m.group(1).replace('\\\\', '\\').replace('\\"', '"') != sys.argv[2]:
        continue
    value = m.group(2)
    if value.startswith("dword:"):
        print(hex(int(value[6:], 16)))
    else:
        print(re.sub(r'\\(.)', r'\1', value[1:-1]))
    sys.exit(0)
sys.exit(1)
PY
}
reg_has_key() { win reg query "$1" "/reg:$2" >/dev/null; }
same_file() { cmp -s "$1" "$2"; }
missing() { [ ! -e "$1" ]; }
equals() { [ "$1" = "$2" ]; }

uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
msmq_key='HKLM\SOFTWARE\Microsoft\MSMQ\Parameters'
# Where the program lives and the registry view it and its installer use; the
# other view holds the Run value of another copy in the uninstall test.
if [ "$arch" = win32 ]; then
  default_dir='C:\Program Files (x86)\Vantrel' view=32 other_view=64
else
  default_dir='C:\Program Files\Vantrel' view=64 other_view=32
fi
udefault=$(unix_path "$default_dir")
lnk='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Vantrel.lnk'
ulnk=$(unix_path "$lnk")
user=$(ls "$WINEPREFIX/drive_c/users" | grep -vx Public | head -1)
udata=$WINEPREFIX/drive_c/users/$user/Documents/Vantrel

setup() { win "$files/setup.exe" "$@"; }
# The uninstaller as it runs itself: a copy outside the folder, pointed at the
# folder with _?= (so that the exit code reaches the test). "_?=" must stand
# unquoted, so cmd starts it from one command line.
uninstall_in_place() {  # DIR
  local copy=$files/uninstall-copy.exe
  cp "$(unix_path "$1")/Uninstall.exe" "$copy"
  win cmd /c "Z:${copy//\//\\} /S _?=$1"
}
# The uninstaller as a user starts it: it copies itself away and returns at
# once; wait until the copy has removed the registration.
uninstall_and_wait() {  # DIR
  win "$1\\Uninstall.exe" /S || return 1
  for _ in $(seq 1 120); do
    reg_has_key "$uninst_key" $view || { sleep 1; return 0; }
    sleep 0.5
  done
  return 1
}
start_from_shortcut() {  # -> pid of the started program
  local target
  target=$(win "$files/shortcut_target.exe" "$lnk" | tr -d '\r' | head -1)
  [ -n "$target" ] || return 1
  win "$target" >/dev/null 2>&1 &
  echo $!
}
main_window_shows() { win "$files/wait_window.exe" TVantrelMainForm 60000; }
close_program() { win "$files/wait_window.exe" TVantrelMainForm 20000 --close; }

# --- folders that cannot take the program: a clear failure, nothing installed
# (Wine quotes an argument with spaces: "/D=C:\not a folder", which the
# installer reads as well as NSIS's own unquoted form.)
: > "$WINEPREFIX/drive_c/not a folder"
setup /S '/D=C:\not a folder'
rc=$?
if [ "$rc" != 4 ]; then
  # The first program of a fresh prefix on a loaded machine has once ended
  # with another code; say so, and judge a second run.
  echo "note a file as folder: the first run ended with $rc; running it once more"
  setup /S '/D=C:\not a folder'
  rc=$?
fi
check "a file as folder: exit code 4 (got $rc)" equals "$rc" 4
check "a file as folder: the file untouched" eval '[ -f "$WINEPREFIX/drive_c/not a folder" ] && [ ! -s "$WINEPREFIX/drive_c/not a folder" ]'
# A folder in the way of the program's temporary name: the copy fails.
mkdir -p "$WINEPREFIX/drive_c/Blocked/Vantrel.exe.new"
setup /S '/D=C:\Blocked'
rc=$?
check "a folder where the program cannot be written: exit code 4" equals "$rc" 4
check "failed installs: no Uninstall key" eval '! reg_has_key "$uninst_key" $view'
check "failed installs: no shortcut" missing "$ulnk"
check "failed installs: nothing left in the folder" eval \
  'missing "$WINEPREFIX/drive_c/Blocked/Vantrel.exe" && missing "$WINEPREFIX/drive_c/Blocked/Uninstall.exe" && [ -d "$WINEPREFIX/drive_c/Blocked/Vantrel.exe.new" ]'

# --- silent install -------------------------------------------------------
setup /S
rc=$?
check "silent install: exit code 0" equals "$rc" 0
check "silent install: Vantrel.exe in Program Files is the released one" same_file "$udefault/Vantrel.exe" "$files/Vantrel.exe"
check "silent install: the uninstaller beside it" test -f "$udefault/Uninstall.exe"
check "silent install: no temporary files left" eval 'missing "$udefault/Vantrel.exe.new" && missing "$udefault/Vantrel.exe.old"'
check "silent install: Start-menu shortcut" test -f "$ulnk"
check "Uninstall key: DisplayName" equals "$(reg_get "$uninst_key" DisplayName $view)" "Vantrel"
check "Uninstall key: DisplayVersion $version" equals "$(reg_get "$uninst_key" DisplayVersion $view)" "$version"
check "Uninstall key: Publisher" equals "$(reg_get "$uninst_key" Publisher $view)" "Vantrel"
check "Uninstall key: DisplayIcon" equals "$(reg_get "$uninst_key" DisplayIcon $view)" "\"$default_dir\\Vantrel.exe\",0"
check "Uninstall key: UninstallString" equals "$(reg_get "$uninst_key" UninstallString $view)" "\"$default_dir\\Uninstall.exe\""
check "Uninstall key: QuietUninstallString" equals "$(reg_get "$uninst_key" QuietUninstallString $view)" "\"$default_dir\\Uninstall.exe\" /S"
check "Uninstall key: InstallLocation" equals "$(reg_get "$uninst_key" InstallLocation $view)" "$default_dir"
size=$(reg_get "$uninst_key" EstimatedSize $view)
exe_kb=$(( $(stat -c %s "$files/Vantrel.exe") / 1024 ))
check "Uninstall key: EstimatedSize in KB covers the program ($size)" eval '[ -n "$size" ] && [ $((size)) -ge $exe_kb ]'

# --- the program starts from the shortcut's target ------------------------
target=$(win "$files/shortcut_target.exe" "$lnk" | tr -d '\r' | head -1)
check "shortcut: target is the installed program" equals "$target" "$default_dir\\Vantrel.exe"
pid=$(start_from_shortcut)
check "shortcut: the program shows its main window" main_window_shows

# --- over a running program: a clear refusal, nothing changed ------------
before=$(stat -c %Y "$udefault/Vantrel.exe")
setup /S
rc=$?
check "install over the running program: exit code 3" equals "$rc" 3
check "install over the running program: Vantrel.exe untouched" equals "$(stat -c %Y "$udefault/Vantrel.exe")" "$before"
uninstall_in_place "$default_dir"
rc=$?
check "uninstall while it runs: exit code 3" equals "$rc" 3
check "uninstall while it runs: program and registration kept" eval \
  '[ -f "$udefault/Vantrel.exe" ] && [ -f "$ulnk" ] && reg_has_key "$uninst_key" $view'
check "the program ends on request" close_program
wait "$pid" 2>/dev/null

# --- an update that cannot write: the installed program stays ------------
mkdir "$udefault/Vantrel.exe.new"
setup /S
rc=$?
check "update that cannot write: exit code 4" equals "$rc" 4
check "update that cannot write: Vantrel.exe and registration kept" eval \
  'same_file "$udefault/Vantrel.exe" "$files/Vantrel.exe" && [ -f "$ulnk" ] && [ "$(reg_get "$uninst_key" DisplayVersion $view)" = "$version" ]'
rmdir "$udefault/Vantrel.exe.new"

# --- over an older installation: updated in place, settings kept ---------
win reg add "$uninst_key" /v DisplayVersion /d 1.5.6.3 /f "/reg:$view" >/dev/null
printf 'older program\r\n' > "$udefault/Vantrel.exe"
printf '[WINDOW]\r\nTOPMOST=0\r\n' > "$udefault/Vantrel.ini"
setup /S
rc=$?
check "install over an older one: exit code 0" equals "$rc" 0
check "install over an older one: Vantrel.exe replaced" same_file "$udefault/Vantrel.exe" "$files/Vantrel.exe"
check "install over an older one: Vantrel.ini kept" equals "$(tr -d '\r' < "$udefault/Vantrel.ini")" "$(printf '[WINDOW]\nTOPMOST=0')"
check "install over an older one: no temporary files left" eval 'missing "$udefault/Vantrel.exe.new" && missing "$udefault/Vantrel.exe.old"'
check "install over an older one: DisplayVersion $version" equals "$(reg_get "$uninst_key" DisplayVersion $view)" "$version"

# --- silent uninstall ----------------------------------------------------
# What the program and its user leave behind: backups in the data folder, a
# Run value for this installation (in the program's own registry view), one
# of another copy of Vantrel that still exists (the other view), the tweak.
mkdir -p "$udata/dat" "$WINEPREFIX/drive_c/Other"
printf '[START_PROGRAM]\r\nCount=1\r\n' > "$udata/Recovery.ini"
printf 'payload\r\n' > "$udata/dat/Tool.lnk"
cp "$files/Vantrel.exe" "$WINEPREFIX/drive_c/Other/Vantrel.exe"
win reg add "$run_key" /v Vantrel /d "\"$default_dir\\Vantrel.exe\"" /f "/reg:$view" >/dev/null
win reg add "$run_key" /v Vantrel /d '"C:\Other\Vantrel.exe"' /f "/reg:$other_view" >/dev/null
win reg add "$msmq_key" /v TCPNoDelay /t REG_DWORD /d 1 /f /reg:64 >/dev/null
check "silent uninstall: finishes" uninstall_and_wait "$default_dir"
check "silent uninstall: the program folder is gone" missing "$udefault"
check "silent uninstall: the shortcut is gone" missing "$ulnk"
check "silent uninstall: the Uninstall key is gone" eval '! reg_has_key "$uninst_key" $view'
check "silent uninstall: this installation's Run value is gone" eval '! reg_get "$run_key" Vantrel $view >/dev/null'
check "silent uninstall: another copy's Run value stays" equals "$(reg_get "$run_key" Vantrel $other_view)" '"C:\Other\Vantrel.exe"'
check "silent uninstall: the tweak's value stays" equals "$(reg_get "$msmq_key" TCPNoDelay 64)" 0x1
check "silent uninstall: the data folder and its backups stay" eval \
  '[ -f "$udata/Recovery.ini" ] && [ -f "$udata/dat/Tool.lnk" ]'
win reg delete "$run_key" /v Vantrel /f "/reg:$other_view" >/dev/null
win reg delete "$msmq_key" /v TCPNoDelay /f /reg:64 >/dev/null

# --- a folder with non-ASCII characters ----------------------------------
odd_dir='C:\Programme\Vantrel Ünïcödé 한글'
setup /S "/D=$odd_dir"
rc=$?
uodd=$(unix_path "$odd_dir")
check "non-ASCII folder: exit code 0" equals "$rc" 0
check "non-ASCII folder: Vantrel.exe there" same_file "$uodd/Vantrel.exe" "$files/Vantrel.exe"
check "non-ASCII folder: InstallLocation" equals "$(reg_get "$uninst_key" InstallLocation $view)" "$odd_dir"
target=$(win "$files/shortcut_target.exe" "$lnk" | tr -d '\r' | head -1)
check "non-ASCII folder: shortcut target" equals "$target" "$odd_dir\\Vantrel.exe"
pid=$(start_from_shortcut)
check "non-ASCII folder: the program shows its main window" main_window_shows
close_program
wait "$pid" 2>/dev/null
check "non-ASCII folder: silent uninstall finishes" uninstall_and_wait "$odd_dir"
check "non-ASCII folder: the folder is gone" missing "$uodd"

# --- an uninstall told Yes: the data folder's files and the tweak's values go
win "$files/setup-yes.exe" /S
rc=$?
check "uninstall told Yes: installed" equals "$rc" 0
rm -rf "$udata"; mkdir -p "$udata/dat"
for f in Recovery.ini Vantrel.dat Schedlet.dll dat/Tool.lnk dat/Toolbar.scd notes.txt; do printf 'x\r\n' > "$udata/$f"; done
ifaces='HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces'
tweaked="$ifaces\{0E5A7E57-0000-4000-8000-00000000000A}" other="$ifaces\{0E5A7E57-0000-4000-8000-00000000000B}"
for v in TcpAckFrequency:1 TCPNoDelay:1 TcpDelAckTicks:0; do
  win reg add "$tweaked" /v "${v%%:*}" /t REG_DWORD /d "${v##*:}" /f /reg:64 >/dev/null
done
# Another program's own choice on another interface: not the tweak's values.
for v in TcpAckFrequency:2 TCPNoDelay:1 TcpDelAckTicks:0; do
  win reg add "$other" /v "${v%%:*}" /t REG_DWORD /d "${v##*:}" /f /reg:64 >/dev/null
done
win reg add "$msmq_key" /v TCPNoDelay /t REG_DWORD /d 1 /f /reg:64 >/dev/null
check "uninstall told Yes: finishes" uninstall_and_wait "$default_dir"
check "uninstall told Yes: the recovery store, language file and library are gone" eval \
  'missing "$udata/Recovery.ini" && missing "$udata/dat" && missing "$udata/Vantrel.dat" && missing "$udata/Schedlet.dll"'
check "uninstall told Yes: a file of the user's own and so the folder stay" test -f "$udata/notes.txt"
check "uninstall told Yes: the Message Queuing value is gone" eval '! reg_get "$msmq_key" TCPNoDelay 64 >/dev/null'
check "uninstall told Yes: the tweaked interface's three values are gone" eval \
  '! reg_get "$tweaked" TcpAckFrequency 64 >/dev/null && ! reg_get "$tweaked" TCPNoDelay 64 >/dev/null && ! reg_get "$tweaked" TcpDelAckTicks 64 >/dev/null'
check "uninstall told Yes: another interface's own values stay" eval \
  '[ "$(reg_get "$other" TcpAckFrequency 64)" = 0x2 ] && [ "$(reg_get "$other" TCPNoDelay 64)" = 0x1 ]'
win reg delete "$tweaked" /f /reg:64 >/dev/null
win reg delete "$other" /f /reg:64 >/dev/null

echo "installer tests: $passed passed, $failed failed"
[ $failed = 0 ]
