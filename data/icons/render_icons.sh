#!/usr/bin/env bash
# Renders the icon's PNGs for the hicolor theme from org.quillet.Quillet.svg beside this script.
# Run once after changing the drawing; the PNGs are kept in the repository, so that building
# needs no SVG renderer. Needs rsvg-convert (Debian's librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" org.quillet.Quillet.svg \
    --output "hicolor/${size}x${size}/apps/org.quillet.Quillet.png"
done
