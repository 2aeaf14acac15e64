#!/usr/bin/env bash
# Builds Quillet and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF
cmake --build build --target quillet
exec build/bin/quillet
