#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) into build-fuzz/ and runs each for
# SECONDS (default 60) on a fresh copy of its seed corpus, fuzz/corpus/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]        e.g. scripts/fuzz.sh 600 fuzz_ini
# Runs, their grown corpora and any crash inputs stay in build-fuzz/fuzz-runs/<target>/.
# Exit status 1 when a target found something; its log tail is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

ALL_TARGETS=(fuzz_ini fuzz_product_info fuzz_text_resources fuzz_history_files fuzz_hist_import
             fuzz_device_responses)
RUN_SECONDS="${1:-60}"
[ "$#" -gt 0 ] && shift
TARGETS=("$@")
[ "${#TARGETS[@]}" -eq 0 ] && TARGETS=("${ALL_TARGETS[@]}")
for t in "${TARGETS[@]}"; do
  if [[ ! " ${ALL_TARGETS[*]} " == *" $t "* ]]; then
    echo "fuzz: unknown target $t (known: ${ALL_TARGETS[*]})" >&2
    exit 2
  fi
done

BUILD_DIR="${FUZZ_BUILD_DIR:-build-fuzz}"
RUNS_DIR="$BUILD_DIR/fuzz-runs"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCALIBRIX_FUZZ=ON -DCALIBRIX_GUI=OFF -DCALIBRIX_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "${FUZZ_BUILD_JOBS:-2}" --target "${TARGETS[@]}"

# The targets write their input to scratch files; memory is much faster than a disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

found=()
for t in "${TARGETS[@]}"; do
  dir="$RUNS_DIR/$t"
  rm -rf "$dir"
  mkdir -p "$dir/corpus"
  cp fuzz/corpus/"$t"/* "$dir/corpus/"
  echo "== $t: ${RUN_SECONDS}s"
  if ! nice -n 10 "$BUILD_DIR/bin/$t" -max_total_time="$RUN_SECONDS" -timeout=30 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" >"$dir/log" 2>&1; then
    found+=("$t")
    tail -n 60 "$dir/log"
  fi
  last=$(grep -E '^#[0-9]+' "$dir/log" | tail -n 1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log")
  echo "   execs ${execs:-?}, exec/s ${rate:-?}, corpus $(ls "$dir/corpus" | wc -l) files"
  echo "   ${last:-no status line}"
done

if [ "${#found[@]}" -gt 0 ]; then
  echo "fuzz: findings in ${found[*]} (inputs in $RUNS_DIR/<target>/)" >&2
  exit 1
fi
echo "fuzz: ${#TARGETS[@]} target(s), no findings"
