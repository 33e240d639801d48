#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Load + save + quit round trip of large files: brenik against GNU ed doing the same.
# Usage: bench/files_roundtrip.sh [path/to/brenik] [rounds]
# Prints, per file, the median wall time of each editor, the ratio brenik/ed, and the peak
# resident memory of one run (when /usr/bin/time is there). Builds nothing itself.
set -eu

bin=${1:-build/brenik}
rounds=${2:-7}
case $bin in /*) ;; *) bin=$PWD/$bin ;; esac
if [ ! -x "$bin" ]; then
  echo "no brenik binary at $bin (build it first, or pass its path)" >&2
  exit 2
fi
if ! command -v ed > /dev/null; then
  echo "GNU ed is not installed" >&2
  exit 2
fi
have_time=0
if [ -x /usr/bin/time ]; then
  have_time=1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The largest document the default limits hold: 32,767 lines of 255 characters.
awk 'BEGIN {
  line = ""
  for (i = 0; i < 255; i++) line = line sprintf("%c", 33 + i % 94)
  for (n = 0; n < 32767; n++) print line
}' > full.txt
# Real text: header lines cut to what a line holds.
find /usr/include -name '*.h' -type f -print0 2> /dev/null | sort -z | xargs -0 cat 2> /dev/null |
  cut -c1-255 | head -n 32000 > real.txt
if [ "$(wc -l < real.txt)" -lt 32000 ]; then
  echo "note: only $(wc -l < real.txt) lines of headers found under /usr/include" >&2
fi

# Settings file made once, so that no run pays for it.
printf 'q\nq\n' | "$bin" > /dev/null

now_ns() { date +%s%N; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf 'S\nq\nq\n' > brenik.in
printf 'w\nq\n' > ed.in
run_brenik() { "$bin" "$1" < brenik.in > /dev/null; }
run_ed() { ed -s "$1" < ed.in > /dev/null; }

time_rounds() {  # editor file -> median milliseconds
  local editor=$1 file=$2 start end
  for _ in $(seq "$rounds"); do
    start=$(now_ns)
    "run_$editor" "$file"
    end=$(now_ns)
    echo $(((end - start) / 1000))
  done | median | awk '{ printf "%.1f", $1 / 1000 }'
}

peak_kb() {  # editor file -> peak resident set in KiB
  if [ "$have_time" = 1 ]; then
    if [ "$1" = brenik ]; then
      /usr/bin/time -f %M -o rss.txt "$bin" "$2" < brenik.in > /dev/null
    else
      /usr/bin/time -f %M -o rss.txt ed -s "$2" < ed.in > /dev/null
    fi
    tail -n 1 rss.txt
  else
    echo "-"
  fi
}

printf '%-10s %9s %12s %12s %8s %13s %10s %10s\n' file bytes "brenik ms" "ed ms" ratio \
  "same after" "brenik KiB" "ed KiB"
for file in full.txt real.txt; do
  cp "$file" "orig-$file"
  size=$(wc -c < "$file")
  b=$(time_rounds brenik "$file")
  same=yes
  cmp -s "$file" "orig-$file" || same=no
  cp "orig-$file" "$file"
  e=$(time_rounds ed "$file")
  ratio=$(awk -v b="$b" -v e="$e" 'BEGIN { printf "%.2f", (e > 0) ? b / e : 0 }')
  br=$(peak_kb brenik "$file")
  er=$(peak_kb ed "$file")
  printf '%-10s %9s %12s %12s %8s %13s %10s %10s\n' "$file" "$size" "$b" "$e" "$ratio" "$same" \
    "$br" "$er"
done
echo "median of $rounds rounds; ratio = brenik / ed (below 1: brenik is faster);"
echo "KiB: peak resident memory of one run (/usr/bin/time %M)"
