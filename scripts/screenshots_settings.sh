#!/usr/bin/env bash
# scripts/screenshots_settings.sh: screenshots of the settings window under
# Xvfb (64-bit build), empty (no settings file, launchers not in use) and
# filled (both reset options, start with Windows, three program launchers
# with the second program page shown, two site launchers), with an English
# and with a Korean user interface. Saved to build/screenshots/ as
# settings-<state>-<language>.png (the virtual desktop) and
# settings-<state>-<language>-window.png (its middle, where the window is centred).
set -u
. "$(dirname "$0")/shots_common.sh"
shots_begin show_set_env_window shots-win64 || exit 1
ini='C:\users\Public\Vantrel-shots.ini'
status=0
for language in english korean; do
  for state in empty filled; do
    shots_take "settings-$state-$language" "$language" TSetEnvForm 470x540+277+114 show_set_env_window \
      "$state" "$lang" "$ini" || status=1
  done
done
shots_end
exit $status
