#!/usr/bin/env bash
# scripts/screenshots_recovery.sh: screenshots of the system recovery window
# under Xvfb (64-bit build), each of its five pages with sample rows (the
# first one ticked), with an English and with a Korean user interface. Saved
# to build/screenshots/ as recovery-<page>-<language>.png (the virtual
# desktop) and recovery-<page>-<language>-window.png (its middle, where the
# window is centred).
set -u
. "$(dirname "$0")/shots_common.sh"
shots_begin show_recovery_window shots-recovery-win64 || exit 1
status=0
for language in english korean; do
  for page in 0 1 2 3 4; do
    shots_take "recovery-$page-$language" "$language" TSysRecoveryForm 800x620+112+74 show_recovery_window "$lang" "$page" ||
      status=1
  done
done
shots_end
exit $status
