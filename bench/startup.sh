#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up and typing figures for the whole program: peak resident memory of an empty session,
# of one that types 1,000 lines and of two under demanding settings, and how many piped lines per
# second it takes in.
# Usage: bench/startup.sh [path/to/brenik]   (default: build/brenik)
set -euo pipefail
bin=$(realpath "${1:-build/brenik}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$bin" </dev/null >/dev/null 2>&1 || true  # creates the settings file once

peak_kb() {  # peak RSS in KiB of the editor reading script $1
  /usr/bin/time -f %M "$bin" <"$1" 2>&1 >/dev/null | tail -n 1
}

printf 'q\nq\n' >quit.in
awk 'BEGIN { for (i = 1; i <= 1000; i++) printf "line %d of some typed text\n", i; print "q"; print "q" }' >type1k.in
awk 'BEGIN { for (i = 1; i <= 100000; i++) printf "typed line %d\n", i % 32000; print "q"; print "q" }' >type100k.in

echo "peak RSS, start and quit:        $(peak_kb quit.in) KiB (target < 4096)"
echo "peak RSS, type 1,000 lines:      $(peak_kb type1k.in) KiB (target < 5120)"
# Settings that ask much of memory: lines of a mebibyte, and a view of a million empty lines.
rc_peak_kb() { # peak RSS in KiB of a session that only quits, in a folder with settings $1
  mkdir -p rc && printf '%b' "$1" >rc/.brenik_rc
  (cd rc && /usr/bin/time -f %M "$bin" <../quit.in 2>&1 >/dev/null | tail -n 1)
}
echo "peak RSS, quit, 16,384 lines of max_char=1048575: $(rc_peak_kb 'max_lines=16384\nmax_char=1048575\n') KiB"
echo "peak RSS, quit, a view of 1,000,000 empty lines:  $(rc_peak_kb 'max_lines=1000000\nlines_per_page=999999\n') KiB"

best=""
for round in 1 2 3 4 5; do
  start=$(date +%s%N)
  "$bin" <type100k.in >/dev/null
  end=$(date +%s%N)
  ns=$((end - start))
  if [ -z "$best" ] || [ "$ns" -lt "$best" ]; then best=$ns; fi
done
echo "piped typing, 100,000 lines:     $((100000 * 1000000000 / best)) lines/s (best of 5, $((best / 1000000)) ms)"
if command -v strace >/dev/null; then
  strace -o calls.log "$bin" <quit.in >/dev/null
  base=$(wc -l <calls.log)
  strace -o calls.log "$bin" <type1k.in >/dev/null
  typed=$(wc -l <calls.log)
  echo "system calls for 1,000 typed lines beyond start-up: $((typed - base)) (input is read and output written in 64 KiB blocks)"
fi
