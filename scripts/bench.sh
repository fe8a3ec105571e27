#!/usr/bin/env bash
# Builds the benchmarks into build-bench/ (Release), runs each program listed below and turns
# their JSON into bench/RESULTS.md. Extra arguments go to every program
# (e.g. --benchmark_filter=Load --benchmark_min_time=0.1).
set -euo pipefail
cd "$(dirname "$0")/.."

# Every benchmark program, in the order the results file shows them.
BENCHES=(
  calibrix_bench_transfer
  calibrix_bench_history
  calibrix_bench_archive
  calibrix_bench_download
  calibrix_bench_startup
)
# The start-up benchmark also starts the window program; CALIBRIX_BENCH_GUI=OFF builds without
# it and leaves that figure out.
GUI="${CALIBRIX_BENCH_GUI:-ON}"
BUILD_DIR=build-bench
JOBS="${JOBS:-2}"

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCALIBRIX_BENCH=ON \
  -DCALIBRIX_GUI="$GUI" -DCALIBRIX_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS" --target "${BENCHES[@]}"

OUT="$BUILD_DIR/bench-results"
rm -rf "$OUT"
mkdir -p "$OUT"
jsons=()
for b in "${BENCHES[@]}"; do
  echo "== $b"
  # From the program folder, where the text resources and device profiles are.
  (cd "$BUILD_DIR/bin" && "./$b" --benchmark_format=json --benchmark_out="../bench-results/$b.json" \
    --benchmark_out_format=json "$@" >/dev/null) || { echo "$b failed" >&2; exit 1; }
  jsons+=("$OUT/$b.json")
done

cxx="$(sed -n 's/^CMAKE_CXX_COMPILER:FILEPATH=//p' "$BUILD_DIR/CMakeCache.txt")"
python3 bench/results_md.py --compiler "$("${cxx:-c++}" --version | head -n1)" "${jsons[@]}" > bench/RESULTS.md
echo "wrote bench/RESULTS.md"
