#!/usr/bin/env bash
# Builds the Debian package into dist/ and checks it with lintian. The build runs in a copy of
# the source under a temporary folder, since dpkg-buildpackage writes beside the source folder.
# Installs what it needs from Debian's packages first, as scripts/install-deps.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential dpkg-dev debhelper fakeroot lintian
  cmake ninja-build pkg-config qt6-base-dev libcups2-dev
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

work=$(mktemp -d /tmp/quillet-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/quillet"
tar --exclude='./build*' --exclude=./dist --exclude=./.git --exclude=./.cache -cf - . |
  tar -xf - -C "$work/quillet"
(cd "$work/quillet" && dpkg-buildpackage -b -us -uc)

mkdir -p dist
deb=$(find "$work" -maxdepth 1 -name 'quillet_*.deb' ! -name '*dbgsym*' | head -n 1)
cp "$deb" dist/
echo "Built dist/$(basename "$deb")"
# Errors fail the build; warnings are shown for the packager to weigh.
lintian --fail-on error "dist/$(basename "$deb")"
