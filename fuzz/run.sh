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
# Seed makers (NAME_seeds) write generated seeds for NAME_fuzzer before it runs.
count=$(echo "$targets" | grep -c . || true)
[ "$count" -gt 0 ] || { echo "no fuzz targets built" >&2; exit 1; }
each=$(( total / count )); [ "$each" -ge 1 ] || each=1
for target in $targets; do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  dirs=("$corpus")
  [ -d "fuzz/seeds/${name%_fuzzer}" ] && dirs+=("fuzz/seeds/${name%_fuzzer}")
  maker="$build/bin/${name%_fuzzer}_seeds"
  if [ -x "$maker" ]; then
    made="$build/seeds/${name%_fuzzer}"
    rm -rf "$made" && mkdir -p "$made"
    "$maker" "$made"
    dirs+=("$made")
  fi
  echo "fuzz: $name for ${each}s"
  "$target" -max_total_time="$each" -rss_limit_mb=1024 -print_final_stats=0 "${dirs[@]}" \
    2>"$build/$name.log" || { tail -40 "$build/$name.log" >&2; exit 1; }
done
