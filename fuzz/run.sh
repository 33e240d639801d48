#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one on a temporary copy of its seed
# corpus; fails when any input crashes, leaks, hangs or breaks an invariant.
#
#   bash fuzz/run.sh [seconds per target, default 60] [seed, default 1]
#
# CI runs `bash fuzz/run.sh 60 1`: a fixed seed, so a run that passed keeps passing. Seed 0
# draws fresh random seeds, which is how to look further, for example for an hour a target:
#
#   bash fuzz/run.sh 3600 0
#
# A crashing input is kept in <build>/fuzz-artifacts/<target>/ and can be replayed with
# `<build>/fuzz/<target> <file>`. The build folder is build-fuzz unless BRENIK_FUZZ_BUILD says.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
seed=${2:-1}
build=${BRENIK_FUZZ_BUILD:-build-fuzz}
targets=(settings_fuzz load_fuzz editor_fuzz)

# Inputs larger than this add no paths, only time: every target's work grows with the input.
declare -A max_len=([settings_fuzz]=4096 [load_fuzz]=8192 [editor_fuzz]=4096)

CXX=clang++ cmake -S . -B "$build" -G Ninja -DBRENIK_FUZZ=ON -DBRENIK_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=()
for target in "${targets[@]}"; do
  corpus="$work/${target%_fuzz}"
  mkdir -p "$corpus"
  cp fuzz/corpus/"${target%_fuzz}"/* "$corpus"/
  artifacts="$build/fuzz-artifacts/$target"
  mkdir -p "$artifacts"
  log="$work/$target.log"
  echo "== $target: ${seconds}s, seed $seed"
  status=0
  "$build/fuzz/$target" "$corpus" -seed="$seed" -max_total_time="$seconds" \
    -max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  corpus_files=$(find "$corpus" -type f | wc -l)
  corpus_bytes=$(du -sb "$corpus" | cut -f1)
  echo "   status $status, ${runs:-?} executions, corpus $corpus_files inputs, $corpus_bytes bytes"
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "   crashing input kept in $artifacts/"
    failed+=("$target")
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "fuzzing passed"
