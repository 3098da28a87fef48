#!/usr/bin/env bash
# scripts/screenshots_activex.sh: screenshots of the ActiveX window with four
# sample controls (two ticked, sorted by name) under Xvfb (64-bit build), with
# an English and with a Korean user interface. Saved to build/screenshots/ as
# activex-<language>.png (the virtual desktop) and activex-<language>-window.png
# (its middle, where the window is centred).
set -u
. "$(dirname "$0")/shots_common.sh"
shots_begin show_activex_window shots-win64 || exit 1
status=0
for language in english korean; do
  shots_take "activex-$language" "$language" TInitActiveXForm 900x470+62+149 show_activex_window "$lang" || status=1
done
shots_end
exit $status
