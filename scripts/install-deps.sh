#!/usr/bin/env bash
# Installs, from Debian's packages, what building, running and testing Quillet needs, the
# end-to-end test's tools included (it drives the program under Xvfb with xdotool, and takes
# screenshots with imagemagick's import when asked; the printing tests read PDFs back with
# poppler's tools): a test never skips for want of a tool.
# Idempotent: packages already present are skipped, and the package lists are refreshed
# only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libcups2-dev
  fonts-liberation2 fontconfig xvfb xauth
  xdotool imagemagick poppler-utils
  clang libclang-rt-14-dev
  libsqlite3-dev
  python3 python3-dbf python3-dbfread libdbd-xbase-perl
  dbus-daemon
  desktop-file-utils appstream man-db
  # the accessibility tests switch Qt's accessibility on as a screen reader would, through
  # the platform's private interface; the AT-SPI tree is read back with pyatspi
  qt6-base-private-dev
  at-spi2-core dbus python3-pyatspi
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
