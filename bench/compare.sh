#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Whole-process comparison of Brenik with GNU ed and vim in ex mode on nine workloads.
# Each run happens in a fresh directory holding the settings file and a copy of the input,
# with the script on standard input and standard output to /dev/null. Rounds alternate
# between the tools after a warm-up; the table shows median wall time and peak resident memory
# of each tool, the ratios Brenik/ed and Brenik/vim, and checks that all three leave the same
# file. The sync column shows the median time Brenik spent in fsync (measured with strace in a
# separate run per round), the part of its time that ed and vim, which do not sync, never pay.
# Usage: bench/compare.sh [path/to/brenik] [rounds] [workloads] [path/to/other/brenik]
#   (defaults: build/brenik, 11, "W1 W2 W3 W4 W5 W6 W7 W8 W9"). With a fourth argument, another
#   build (say, main's) runs in the same rounds, and its time, ratio and memory are shown too.
set -euo pipefail
bin=$(realpath "${1:-build/brenik}")
rounds=${2:-11}
workloads=${3:-W1 W2 W3 W4 W5 W6 W7 W8 W9}
other=$( [ -n "${4:-}" ] && realpath "$4" || true)
tools=(brenik ${other:+other} ed vim)
for tool in ed vim cc strace; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
here=$(mktemp -d)
trap 'rm -rf "$here"' EXIT
corpus=$here/corpus
mkdir -p "$corpus"

# A runner that times one command precisely: no shell or date process inside the measurement.
# Usage: runner IN OUT cmd args...; prints "nanoseconds peak_kib".
cat >"$here/runner.c" <<'C'
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
int main(int argc, char** argv) {
  struct timespec a, b;
  clock_gettime(CLOCK_MONOTONIC, &a);
  pid_t pid = fork();
  if (pid == 0) {
    int in = open(argv[1], O_RDONLY), out = open(argv[2], O_WRONLY);
    dup2(in, 0); dup2(out, 1); dup2(out, 2);
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  int status; struct rusage usage;
  wait4(pid, &status, 0, &usage);
  clock_gettime(CLOCK_MONOTONIC, &b);
  printf("%lld %ld\n", (long long)(b.tv_sec - a.tv_sec) * 1000000000LL + (b.tv_nsec - a.tv_nsec),
         usage.ru_maxrss);
  return 0;
}
C
cc -O2 -o "$here/runner" "$here/runner.c"

# Real text: C headers, then Python sources and licences if more is needed. Lines are cut to
# 255 bytes; lines that an editor would read as its own commands when typed are left out
# ("." ends ed's and vim's input; a single character or a leading "!" means something to Brenik).
keys='bn,.leE<>pjJLgGaAdmwDCcxvVitTzsSOh#=+q'
set +o pipefail  # head closes the pipe early on purpose
{ find /usr/include -name '*.h' -type f 2>/dev/null | sort | head -n 4000 | xargs cat
  find /usr/lib/python3* -name '*.py' -type f 2>/dev/null | sort | head -n 2000 | xargs cat
  cat /usr/share/common-licenses/* 2>/dev/null
} | tr -d '\r\000' | cut -b 1-255 | LC_ALL=C awk -v keys="$keys" '
  $0 == "." { next }
  substr($0, 1, 1) == "!" { next }
  length($0) == 1 && index(keys, $0) > 0 { next }
  { print }' >"$corpus/all.txt"
set -o pipefail
[ "$(wc -l <"$corpus/all.txt")" -ge 32000 ] || { echo "not enough real text found" >&2; exit 1; }

finish() { echo "end of text"; }  # a last line with text: no tool drops trailing empty lines
set +o pipefail
{ head -n 31999 "$corpus/all.txt"; finish; } >"$corpus/real32k.txt"
# A typed line of 255 characters fills the input buffer and leaves its line end for the next
# read, which Brenik takes as Enter on an empty line; typed lines stop at 254.
{ head -n 19999 "$corpus/all.txt" | cut -b 1-254; finish; } >"$corpus/type20k.txt"
head -n 100 "$corpus/real32k.txt" >"$corpus/hundred.txt"
set -o pipefail
awk 'BEGIN { l = ""; for (i = 0; i < 255; i++) l = l sprintf("%c", 33 + i % 90);
             for (i = 0; i < 32767; i++) print l }' >"$corpus/full.txt"
awk 'BEGIN { for (i = 1; i <= 1000000; i++) printf "line %d of a million, with some text after it\n", i }' >"$corpus/million.txt"
default_rc=$(cd "$here" && "$bin" </dev/null >/dev/null 2>&1; cat "$here/.brenik_rc"; rm -f "$here/.brenik_rc" "$here"/*.save)
big_rc=$(printf '%s\n' "$default_rc" | sed 's/^max_lines=.*/max_lines=1000000/')

# Scripts per workload: brenik, ed, vim. $1 = workload name.
make_scripts() {
  local w=$1 d=$here/scripts/$1
  mkdir -p "$d"
  case $w in
    W1|W7) printf 'S\nq\nq\n' >"$d/brenik"; printf 'w\nq\n' >"$d/ed"; printf 'w\nq\n' >"$d/vim" ;;
    W2) { for i in $(seq 1000); do echo D; done; printf 'S\nq\nq\n'; } >"$d/brenik"
        { for i in $(seq 1000); do echo 1d; done; printf 'w\nq\n'; } >"$d/ed"; cp "$d/ed" "$d/vim" ;;
    W6) { for i in $(seq 100); do echo D; done; printf 'S\nq\nq\n'; } >"$d/brenik"
        { for i in $(seq 100); do echo 1d; done; printf 'w\nq\n'; } >"$d/ed"; cp "$d/ed" "$d/vim" ;;
    W8) { for i in $(seq 10); do echo D; done; printf 'S\nq\nq\n'; } >"$d/brenik"
        { for i in $(seq 10); do echo 1d; done; printf 'w\nq\n'; } >"$d/ed"; cp "$d/ed" "$d/vim" ;;
    W3) awk 'BEGIN { srand(42); for (i = 0; i < 1000; i++) print int(rand() * 32000) + 1 }' >"$d/targets"
        awk '{ printf "g\n%d\nXYZZY\n", $1 } END { printf "S\nq\nq\n" }' "$d/targets" >"$d/brenik"
        awk '{ printf "%ds/^.\\{0,5\\}/XYZZY/\n", $1 } END { printf "w\nq\n" }' "$d/targets" >"$d/ed"
        awk '{ printf "%ds/^.\\{0,5}/XYZZY/\n", $1 } END { printf "w\nq\n" }' "$d/targets" >"$d/vim" ;;
    W4) { cat "$corpus/type20k.txt"; printf 's\ntyped.txt\nq\nq\n'; } >"$d/brenik"
        { echo a; cat "$corpus/type20k.txt"; printf '.\nw typed.txt\nq\n'; } >"$d/ed"; cp "$d/ed" "$d/vim" ;;
    W5|W9) printf 'q\nq\n' >"$d/brenik"; echo q >"$d/ed"; echo q >"$d/vim" ;;
  esac
}

# input file, settings, result file for each workload
declare -A input=([W1]=full.txt [W2]=real32k.txt [W3]=real32k.txt [W4]= [W5]= [W6]=million.txt
                  [W7]=hundred.txt [W8]=hundred.txt [W9]=)
declare -A big=([W6]=1 [W8]=1 [W9]=1)

# Runs one tool once; prints "nanoseconds kibibytes" and leaves the result in $here/run.
# With a third argument, runs Brenik under strace instead and prints the nanoseconds it spent
# in fsync.
run_once() {
  local tool=$1 w=$2 sync=${3:-}
  rm -rf "$here/run"; mkdir "$here/run"
  if [ -n "${big[$w]:-}" ]; then printf '%s\n' "$big_rc" >"$here/run/.brenik_rc"
  else printf '%s\n' "$default_rc" >"$here/run/.brenik_rc"; fi
  local args=()
  if [ -n "${input[$w]}" ]; then cp "$corpus/${input[$w]}" "$here/run/doc.txt"; args=(doc.txt); fi
  local cmd
  case $tool in
    brenik) cmd=("$bin" "${args[@]}") ;;
    other) cmd=("$other" "${args[@]}") ;;
    ed) cmd=(ed -s "${args[@]}") ;;
    vim) cmd=(vim -es -u NONE -i NONE -N "${args[@]}") ;;
  esac
  # The set-up's own writes reach the disk before the clock starts, so that a tool that syncs
  # pays for its own file only, not for the copy made just before it.
  sync -f "$here/run"
  if [ -n "$sync" ]; then
    (cd "$here/run" && strace -e trace=fsync,fdatasync -T -o "$here/sync.log" "${cmd[@]}" \
      <"$here/scripts/$w/$tool" >/dev/null)
    awk -F'<' '/<[0-9.]+>$/ { sub(/>/, "", $NF); total += $NF } END { printf "%d 0\n", total * 1e9 }' "$here/sync.log"
    return
  fi
  (cd "$here/run" && "$here/runner" "$here/scripts/$w/${tool/other/brenik}" /dev/null "${cmd[@]}")
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
spread() { sort -n | awk '{ v[NR] = $1 } END { printf "%.0f%%", (v[NR] - v[1]) * 100 / v[int((NR + 1) / 2)] }'; }
ms() { awk -v n="$1" 'BEGIN { printf "%.1f", n / 1e6 }'; }

printf '%-4s %10s %10s %10s %8s %8s %9s %9s %9s %9s %s%s\n' \
  work brenik_ms ed_ms vim_ms b/ed b/vim brenik_kb ed_kb vim_kb sync_ms "same files, spread b/e/v" \
  "${other:+, other_ms b/other other_kb}"
for w in $workloads; do
  make_scripts "$w"
  result=$( [ "$w" = W4 ] && echo typed.txt || echo doc.txt )
  for tool in "${tools[@]}"; do run_once "$tool" "$w" >/dev/null; done  # warm-up
  same=yes
  : >"$here/t.brenik"; : >"$here/t.other"; : >"$here/t.ed"; : >"$here/t.vim"; : >"$here/t.sync"
  for r in $(seq "$rounds"); do
    for tool in "${tools[@]}"; do
      read -r ns kb < <(run_once "$tool" "$w")
      echo "$ns $kb" >>"$here/t.$tool"
      if [ -f "$here/run/$result" ]; then cp "$here/run/$result" "$here/out.$tool"; else : >"$here/out.$tool"; fi
    done
    read -r ns kb < <(run_once brenik "$w" sync)
    echo "$ns $kb" >>"$here/t.sync"
    if [ -n "${input[$w]}" ] || [ "$w" = W4 ]; then
      cmp -s "$here/out.brenik" "$here/out.ed" && cmp -s "$here/out.brenik" "$here/out.vim" || same=NO
      [ -z "$other" ] || cmp -s "$here/out.brenik" "$here/out.other" || same=NO
    fi
  done
  b=$(cut -d' ' -f1 "$here/t.brenik" | median); e=$(cut -d' ' -f1 "$here/t.ed" | median)
  v=$(cut -d' ' -f1 "$here/t.vim" | median); n=$(cut -d' ' -f1 "$here/t.sync" | median)
  bk=$(cut -d' ' -f2 "$here/t.brenik" | median); ek=$(cut -d' ' -f2 "$here/t.ed" | median)
  vk=$(cut -d' ' -f2 "$here/t.vim" | median)
  versus=""
  if [ -n "$other" ]; then
    o=$(cut -d' ' -f1 "$here/t.other" | median) ok=$(cut -d' ' -f2 "$here/t.other" | median)
    versus=", $(ms "$o") $(awk -v a="$b" -v c="$o" 'BEGIN { printf "%.2f", a / c }') $ok"
  fi
  printf '%-4s %10s %10s %10s %8s %8s %9s %9s %9s %9s %s, %s/%s/%s%s\n' "$w" "$(ms "$b")" "$(ms "$e")" "$(ms "$v")" \
    "$(awk -v a="$b" -v c="$e" 'BEGIN { printf "%.2f", a / c }')" \
    "$(awk -v a="$b" -v c="$v" 'BEGIN { printf "%.2f", a / c }')" "$bk" "$ek" "$vk" "$(ms "$n")" "$same" \
    "$(cut -d' ' -f1 "$here/t.brenik" | spread)" "$(cut -d' ' -f1 "$here/t.ed" | spread)" \
    "$(cut -d' ' -f1 "$here/t.vim" | spread)" "$versus"
done
t=$( for r in $(seq "$rounds"); do "$here/runner" /dev/null /dev/null /bin/true | cut -d' ' -f1; done | median)
echo "floor: /bin/true $(ms "$t") ms"
