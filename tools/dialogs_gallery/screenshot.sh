#!/bin/sh
# Takes the dialogs gallery's screenshots (one picture per dialog). Runs on the X display in
# DISPLAY when one is given, otherwise under a virtual X server of its own.
# Usage: [DISPLAY=:N] screenshot.sh GALLERY-BINARY OUTPUT-DIRECTORY
set -eu
gallery=${1:?path of dialogs-gallery}
out=${2:-dialogs-gallery}
: "${XDG_RUNTIME_DIR:=$(mktemp -d)}"
export XDG_RUNTIME_DIR
if [ -n "${DISPLAY:-}" ]; then
  QT_QPA_PLATFORM=xcb "$gallery" --screenshot "$out"
else
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x1000x24" "$gallery" --screenshot "$out"
fi
