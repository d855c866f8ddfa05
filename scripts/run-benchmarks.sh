#!/usr/bin/env bash
# Builds Release in its own folder, runs every benchmark program in bench/ and prints the speed
# and memory ratios from this one run: run-benchmarks.sh [BUILD_DIR]
# The machine may be shared: compare ratios from the same run, not times from different runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-release}"
jobs="${BENCH_JOBS:-2}"
repetitions="${BENCH_REPETITIONS:-5}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON >/dev/null
# Only what is measured: every benchmark program and the editor for the headless check.
targets=(vynmap-editor)
for source in "$root"/bench/*Bench.cpp; do
    targets+=("$(basename "$source" .cpp)")
done
cmake --build "$build" --parallel "$jobs" --target "${targets[@]}"

results="$build/bench-results"
mkdir -p "$results"
rm -f "$results"/*.json "$results"/*.time "$results"/*.ms

# The 50,000-POI page of the headless check, made first: XmlBench parses it with pugixml too.
check_dir="$(mktemp -d)"
trap 'rm -rf "$check_dir"' EXIT
check_page="$check_dir/UI/vynmap/icons_50000.xml"
python3 "$root/scripts/bench-report.py" page 50000 "$check_page"
python3 "$root/scripts/bench-report.py" page 1 "$check_dir/UI/vynmap/icons_1.xml"
printf '[CONFIG]\r\nPATH=%s/UI/\r\n' "$check_dir" >"$check_dir/check.INI"
export VYNMAP_CHECK_PAGE="$check_page"
# PackBench writes its map pack here, for the whole-process check of it below.
export VYNMAP_PACK_KEEP="$check_dir/pack"

export QT_QPA_PLATFORM=offscreen
for program in "$build"/bench/*Bench; do
    name="$(basename "$program")"
    echo "== $name"
    # Benchmarks that set their own repetitions keep them; the rest repeat and report medians.
    "$program" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
        --benchmark_out="$results/$name.json" --benchmark_out_format=json
done

# The whole process of a headless check of the 50,000-POI page, repeated: time and peak memory;
# and of a one-POI page, for the memory of the process itself.
for run in $(seq 1 "$repetitions"); do
    /usr/bin/time -v -o "$results/check-50000-$run.time" "$build/src/app/vynmap-editor" \
        --config "$check_dir/check.INI" --check "$check_page"
done
/usr/bin/time -v -o "$results/check-1.time" "$build/src/app/vynmap-editor" \
    --config "$check_dir/check.INI" --check "$check_dir/UI/vynmap/icons_1.xml"
# Their wall times to the millisecond, over more runs.
python3 "$root/scripts/bench-report.py" time 21 "$results/check-50000.ms" "$build/src/app/vynmap-editor" \
    --config "$check_dir/check.INI" --check "$check_page"
python3 "$root/scripts/bench-report.py" time 21 "$results/check-1.ms" "$build/src/app/vynmap-editor" \
    --config "$check_dir/check.INI" --check "$check_dir/UI/vynmap/icons_1.xml"

# The whole process of a headless check of the map pack's folder.
python3 "$root/scripts/bench-report.py" time 11 "$results/check-pack.ms" "$build/src/app/vynmap-editor" \
    --config "$VYNMAP_PACK_KEEP/editor.INI" --check "$VYNMAP_PACK_KEEP"

python3 "$root/scripts/bench-report.py" table "$results" "$check_page"
