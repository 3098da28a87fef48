#!/usr/bin/env bash
# scripts/screenshots_startup.sh: screenshots of the start-up program window
# under Xvfb (64-bit build) with rows in both lists (sample Run values of both
# machine views and of the user, a Startup-folder file, stand-in scheduled
# tasks), some rows selected and some excluded, with an English and with a
# Korean user interface. Saved to build/screenshots/ as
# startup-<language>.png (the virtual desktop) and startup-<language>-window.png
# (its middle, where the window is centred).
set -u
. "$(dirname "$0")/shots_common.sh"
# A prefix of its own, apart from the tests' one (the tool writes sample Run values).
shots_begin show_startup_window shots-startup-win64 || exit 1
status=0
for language in english korean; do
  shots_take "startup-$language" "$language" TStartProgramForm 900x540+62+114 show_startup_window "$lang" || status=1
done
shots_end
exit $status
