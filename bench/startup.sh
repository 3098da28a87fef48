#!/usr/bin/env bash
# Start-up time of Vantrel.exe under Wine: from CreateProcess to its main
# window being shown, next to a program that only opens a window (the floor,
# measured in the same run). Waits for windows and process ends, never for a
# fixed time; prints each run, the medians, their spread and the ratio.
#   bench/startup.sh [BUILD_DIR] [RUNS] [MEMORY_MS]   (default: build/win64, 7 runs)
# With MEMORY_MS (e.g. 2000) each run also reads both programs' working set
# and private bytes that long after their window shows.
# Needs a built Vantrel.exe in BUILD_DIR/bin (the 64-bit build runs here).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build/win64}")
runs=${2:-7}
memory_ms=${3:-}
[ -f "$build/bin/Vantrel.exe" ] || { echo "no $build/bin/Vantrel.exe; build first" >&2; exit 2; }
case "$(head -c 4096 "$build/bin/Vantrel.exe" | od -An -tx1 | tr -d ' \n')" in *50450000648*) triple=x86_64-w64-mingw32 ;; *) triple=i686-w64-mingw32 ;; esac

work=$build/bench
mkdir -p "$work/program"
flags="-O2 -static -municode"
$triple-g++-posix $flags -mwindows -o "$work/minimal_window.exe" "$root/bench/minimal_window.cpp"
$triple-g++-posix $flags -o "$work/startup_probe.exe" "$root/bench/startup_probe.cpp" -lpsapi
# A program folder of its own, so nothing next to the build's Vantrel.exe changes.
cp "$build/bin/Vantrel.exe" "$work/program/Vantrel.exe"

. "$root/tests/wine/env.sh"
vantrel_wine_env "$build"
own=0
if ! vantrel_wine_session_active; then vantrel_wine_up; own=1; fi
trap '[ $own = 1 ] && vantrel_wine_down' EXIT

winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
close_command=$(sed -n 's/.*kTrayPopupCloseCommand = \([0-9]*\).*/\1/p' "$root/src/mainwindow/main_form.h")
probe() { "$VANTREL_WINE" "$work/startup_probe.exe" "$@" | tr -d '\r'; }

# All runs in one probe process (Wine's desktop stays up between them),
# alternating the two programs; the probe prints the runs, medians, spread
# and ratio. A is the floor, from the same run.
echo "A: minimal window (the floor), B: Vantrel.exe"
probe "$runs" "$(winpath "$work/minimal_window.exe")" VantrelBenchMinimal 0 \
  "$(winpath "$work/program/Vantrel.exe")" TVantrelMainForm "$close_command" $memory_ms
