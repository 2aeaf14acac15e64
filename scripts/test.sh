#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
# A runtime folder of the run's own, so that a Quillet the person runs is never met.
XDG_RUNTIME_DIR="$(mktemp -d /tmp/quillet-runtime.XXXXXX)"
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
chmod 700 "$XDG_RUNTIME_DIR"
# Under AddressSanitizer and UndefinedBehaviorSanitizer a memory fault fails the test that met it.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_WERROR=ON \
  -DQUILLET_SANITIZE=ON
cmake --build build-test
# A skipped test lacks something the set-up should have installed: a set-up fault, and a
# failure of the run like any other.
ctest --test-dir build-test --output-on-failure -j2 | tee "$XDG_RUNTIME_DIR/ctest.log"
if grep -E '^\s+[0-9]+ - .* \(Skipped\)$' "$XDG_RUNTIME_DIR/ctest.log"; then
  echo "The tests above were skipped: install what they need (scripts/install-deps.sh)." >&2
  exit 1
fi
fuzz/run.sh 90  # the engine's file and expression readers under libFuzzer, briefly
