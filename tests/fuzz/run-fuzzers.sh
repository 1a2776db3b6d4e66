#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (-fsanitize=fuzzer,address,undefined) and runs
# each for a bounded time on a copy of its committed seed corpus (the copies grow, the repository
# does not). Exits non-zero when a target finds a crash, a leak, undefined behaviour or a broken
# property; the input that did it is kept under BUILD_DIR/findings/ and its path printed. Once the
# fault is fixed, commit the input under tests/fuzz/corpus/<corpus>/ so every build replays it.
#
#   tests/fuzz/run-fuzzers.sh [BUILD_DIR [SECONDS_PER_TARGET]]     (defaults: build-fuzz, 60)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "${1:-$here/../../build-fuzz}")
seconds=${2:-60}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$jobs"

# Leaks are reported (libFuzzer checks after every input and at the end); only other people's
# libraries are suppressed, as in the sanitizer run of the test suite.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/../lsan.supp:print_suppressions=0}"

work=$(mktemp -d "${TMPDIR:-/tmp}/kalvor-fuzz-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/findings"

# run LABEL TARGET CORPUS MAX_LEN [VAR=VALUE...]
run() {
  local label=$1 target=$2 corpus=$3 max_len=$4
  shift 4
  local dir="$work/$label"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp "$here/corpus/$corpus"/* "$dir/corpus/"
  local status=0
  (cd "$dir" && env "$@" "$build/$target" -max_total_time="$seconds" -max_len="$max_len" \
    -timeout=20 -rss_limit_mb=2560 -artifact_prefix="$dir/artifacts/" -print_final_stats=1 \
    corpus >"$dir/log" 2>&1) || status=$?
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/log" | grep -o '[0-9]*$' || true)
  if [ "$status" -eq 0 ]; then
    echo "fuzz $label: ${runs:-?} inputs in ${seconds}s, nothing found"
  elif [ "$status" -eq 77 ]; then
    echo "fuzz $label: skipped ($(grep -m1 skipped "$dir/log" || true))"
  else
    echo "fuzz $label: FOUND SOMETHING (exit $status)"
    grep -E -A8 'ERROR|property broken|runtime error' "$dir/log" | head -40 || tail -40 "$dir/log"
    for found in "$dir"/artifacts/*; do
      [ -e "$found" ] || continue
      cp "$found" "$build/findings/$label-$(basename "$found")"
      echo "  input kept as $build/findings/$label-$(basename "$found")"
    done
    return 1
  fi
}

# Two at a time: one per core on the machines the tests run on.
failed=0
pids=()
start() { run "$@" & pids+=($!); }
finish() {
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  pids=()
}
start ini_file fuzz_ini_file ini 16384
start text_to_number fuzz_text_to_number number 4096
finish
start zip_extractor fuzz_zip_extractor zip 4096
start zip_extractor_without_openat2 fuzz_zip_extractor zip 4096 KALVOR_FUZZ_WITHOUT_OPENAT2=1
finish
start sound_stream fuzz_sound_stream stream 16384
finish
exit "$failed"
