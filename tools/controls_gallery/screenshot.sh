#!/bin/sh
# Takes the controls gallery's screenshot under a virtual X server.
# Usage: screenshot.sh GALLERY-BINARY OUTPUT.png
set -eu
gallery=${1:?path of controls-gallery}
out=${2:-controls-gallery.png}
: "${XDG_RUNTIME_DIR:=$(mktemp -d)}"
export XDG_RUNTIME_DIR
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x1000x24" "$gallery" --screenshot "$out"
