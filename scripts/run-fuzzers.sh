#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while: run-fuzzers.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
build="$root/build-fuzz"
CC=clang CXX=clang++ bash "$root/scripts/build.sh" "$build" -DFUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
shopt -s nullglob
targets=("$build"/tests/fuzz/*Fuzz)
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets."
  exit 0
fi
for target in "${targets[@]}"; do
  name="$(basename "$target")"
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/seeds/$name"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 "${dirs[@]}" \
    > "$build/$name.log" 2>&1 || { tail -n 60 "$build/$name.log"; echo "$name failed"; exit 1; }
  tail -n 3 "$build/$name.log"
done
