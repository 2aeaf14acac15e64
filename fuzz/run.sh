#!/usr/bin/env bash
# Builds the engine's libFuzzer targets with clang in build-fuzz and runs each of them;
# the time given (seconds, default 60) is shared among the targets.
# Usage: fuzz/run.sh [TOTAL_SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
total="${1:-60}"
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_FUZZ=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
targets=$(find "$build/bin" -maxdepth 1 -name '*_fuzzer' -type f -perm -u+x | sort)
count=$(echo "$targets" | grep -c . || true)
[ "$count" -gt 0 ] || { echo "no fuzz targets built" >&2; exit 1; }
each=$(( total / count )); [ "$each" -ge 1 ] || each=1
for target in $targets; do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/${name%_fuzzer}"
  echo "fuzz: $name for ${each}s"
  if [ -d "$seeds" ]; then
    "$target" -max_total_time="$each" -rss_limit_mb=1024 -print_final_stats=0 "$corpus" "$seeds" \
      2>"$build/$name.log" || { tail -40 "$build/$name.log" >&2; exit 1; }
  else
    "$target" -max_total_time="$each" -rss_limit_mb=1024 -print_final_stats=0 "$corpus" \
      2>"$build/$name.log" || { tail -40 "$build/$name.log" >&2; exit 1; }
  fi
done
