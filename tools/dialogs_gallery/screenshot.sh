#!/bin/sh
# Takes the dialogs gallery's screenshots (one picture per dialog) under a virtual X server.
# Usage: screenshot.sh GALLERY-BINARY OUTPUT-DIRECTORY
set -eu
gallery=${1:?path of dialogs-gallery}
out=${2:-dialogs-gallery}
: "${XDG_RUNTIME_DIR:=$(mktemp -d)}"
export XDG_RUNTIME_DIR
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x1000x24" "$gallery" --screenshot "$out"
