#!/usr/bin/env bash
# scripts/screenshots_addons.sh: screenshots of the add-on window under Xvfb
# (64-bit build) with rows in all three lists, ticks and exclusion marks,
# with an English and with a Korean user interface. Saved to
# build/screenshots/ as addons-<language>.png (the virtual desktop) and
# addons-<language>-window.png (its middle, where the window is centred).
set -u
. "$(dirname "$0")/shots_common.sh"
# A prefix of its own, apart from the tests' one (the tool registers add-ons there).
shots_begin show_bho_window shots-win64 || exit 1
status=0
for language in english korean; do
  shots_take "addons-$language" "$language" TBHOForm 900x600+62+84 show_bho_window "$lang" || status=1
done
shots_end
exit $status
