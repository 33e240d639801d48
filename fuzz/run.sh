#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang and runs each on a temporary copy of its seed corpus;
# fails when any input crashes, leaks, hangs or breaks a check. A crashing input is kept in
# build-fuzz/fuzz-artifacts/<target>/.   Usage: bash fuzz/run.sh [seconds per target] [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60} seed=${2:-1} build=$PWD/build-fuzz

# Debug information, so that a crash's stack names the lines.
CXX=clang++ cmake -S . -B "$build" -G Ninja -DBRENIK_FUZZ=ON -DBRENIK_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target settings_fuzz editor_fuzz journal_fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in settings_fuzz editor_fuzz journal_fuzz; do
  cp -r "fuzz/corpus/${target%_fuzz}" "$work/$target"
  mkdir -p "$build/fuzz-artifacts/$target"
  dict=() && [ ! -f "fuzz/${target%_fuzz}.dict" ] || dict=(-dict="fuzz/${target%_fuzz}.dict")
  echo "== $target: ${seconds}s, seed $seed"
  if ! "$build/fuzz/$target" "$work/$target" -seed="$seed" -max_total_time="$seconds" \
    "${dict[@]}" \
    -max_len=4096 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$build/fuzz-artifacts/$target/" \
    >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    echo "fuzzing failed: $target; the input is kept in $build/fuzz-artifacts/$target/"
    exit 1
  fi
  grep -h '^#.*DONE' "$work/$target.log" || true
done
echo "fuzzing passed"
