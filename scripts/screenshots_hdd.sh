#!/usr/bin/env bash
# scripts/screenshots_hdd.sh: screenshots of the disk cleanup window under Xvfb
# (64-bit build): before a run and during one (bar, animation, disabled
# options), with an English and with a Korean user interface. Saved to
# build/screenshots/ as hdd-<state>-<language>.png (the virtual desktop) and
# hdd-<state>-<language>-window.png (its middle, where the window is centred).
set -u
. "$(dirname "$0")/shots_common.sh"
shots_begin show_hdd_window shots-hdd-win64 || exit 1
status=0
for language in english korean; do
  shots_take "hdd-before-$language" "$language" THddForm 460x440+282+164 show_hdd_window idle "$lang" || status=1
  shots_take "hdd-running-$language" "$language" THddForm 460x440+282+164 show_hdd_window running "$lang" || status=1
done
shots_end
exit $status
