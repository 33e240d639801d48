#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Ended by a signal or the end of input, the program keeps unsaved work in a fresh 0600 file.
set -u
bin=$(realpath "$1") root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" && exit 1; }
wait_until() { # the machine may be loaded: only a very long wait is a fault of the program
  local end=$((SECONDS + 60))
  until "$@"; do [ "$SECONDS" -lt "$end" ] || return 1; sleep 0.1; done
}
start() { # start [ARG...]: the editor in a fresh $work, its input on fd 3
  work=$(mktemp -d -p "$root") && mkfifo "$work/in"
  (cd "$work" && exec "$bin" "$@" <in >out) &
  pid=$! && exec 3>"$work/in"
}
ended() { [[ $(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null) =~ ^(Z|)$ ]]; } # a zombie has ended
# stop WHAT STATUS: the input stays open until the end, so a signal cannot pass for end of input.
stop() {
  wait_until ended || { kill -KILL "$pid"; fail "$1 did not end the editor"; }
  exec 3>&- && wait "$pid"
  local status=$? && [ "$status" = "$2" ] || fail "$1: status $status, expected $2"
}
kept() { # kept WHAT FILE TEXT
  [ "$(cat "$work/$2")|$(stat -c %a "$work/$2")" = "$3|600" ] || fail "$1: $2 is not $3, 600"
}
none() { [ -z "$(find "$work" -name '*.save*')" ] || fail "$1 wrote $(ls "$work")"; }

start notes.txt && wait_until grep -qs '^Editing 1:1 ' "$work/out" && kill -s TERM "$pid"
stop "SIGTERM without changes" 1 && none "SIGTERM without changes"

# The end of input with unsaved work: never over an existing file, the first free number instead.
start notes.txt && printf old | tee "$work/notes.txt.save" >"$work/notes.txt.save.1"
printf 'typed\n' >&3 && exec 3>&- && stop "the end of input" 1
[ "$(cat "$work"/notes.txt.save{,.1})" = oldold ] || fail "an existing file was overwritten"
kept "the end of input" notes.txt.save.2 typed
start && printf 'g\n3\n' >&3 && exec 3>&- && stop "a clean end" 0 && none "a clean end"

# Each signal ends the editor while it waits for input, while it prints to a pipe nobody reads,
# and while a save fills a pipe nobody reads: that save is abandoned and the work kept instead.
writing() { [[ $(cat "/proc/$pid/wchan" 2>/dev/null) == *pipe_write* ]]; }
# A save to a pipe waits for room with the pipe open; the wait for input has it closed.
saving() { ls -l "/proc/$pid/fd" 2>/dev/null | grep -q " $work/p\$" && [[ $(cat "/proc/$pid/wchan") == *poll* ]]; }
for sig in HUP TERM INT; do
  start notes.txt && printf 'first line\nsecond line\n' >&3
  wait_until grep -qs '^Editing 3:1 ' "$work/out" && kill -s "$sig" "$pid"
  stop "SIG$sig" 1 && kept "SIG$sig" notes.txt.save $'first line\nsecond line'
  grep -q 'notes.txt.save' "$work/out" || fail "SIG$sig: the emergency file is not named"
  work=$(mktemp -d -p "$root") && mkfifo "$work/out"
  { echo typed && yes '>' | head -n 20000; } >"$work/in"
  (cd "$work" && exec "$bin" notes.txt <in >out) &
  pid=$! && exec 4<"$work/out"
  wait_until writing && kill -s "$sig" "$pid" || fail "SIG$sig: the view was not printing"
  cat <&4 >/dev/null & stop "SIG$sig while printing" 1 && kept "SIG$sig" notes.txt.save typed
  exec 4<&- && start && mkfifo "$work/p"
  exec 5<>"$work/p" # a reader that never reads
  seq 30000 >&3 && printf 's\np\no\n' >&3
  wait_until saving && kill -s "$sig" "$pid" || fail "SIG$sig: the save was not writing"
  stop "SIG$sig while saving" 1 && kept "SIG$sig while saving" brenik.save "$(seq 30000)"
  exec 5<&-
done

# A view as long as a grid of 2^31 lines stops at once on a signal, and when its reader is gone.
work=$(mktemp -d -p "$root") && mkfifo "$work/in"
printf 'max_lines=2147483647\nmax_char=2\nlines_per_page=2147483646\n' >"$work/.brenik_rc"
(cd "$work" && exec "$bin" <in >/dev/null) &
pid=$! && exec 3>"$work/in"
busy() { (($(cut -d' ' -f14 "/proc/$pid/stat") > 30)); } # a third of a second of printing
wait_until busy && kill -s TERM "$pid" && stop "SIGTERM in a long view" 1
(cd "$work" && timeout 60 "$bin" </dev/null | head -c 10 >/dev/null; [ "${PIPESTATUS[0]}" = 1 ]) ||
  fail "a long view went on after its reader was gone"

# Input that comes in pieces, as over a slow line, still makes whole lines, cut at the limit.
start notes.txt
for piece in a "$(printf '%099d' 0)" "$(printf '%0200d' 0)"; do
  printf %s "$piece" >&3 && sleep 0.3
done
printf '\nq\nq\n' >&3 && stop "input in pieces" 0
grep -q 'longer than 255 characters; the rest was not used' "$work/out" || fail "input in pieces"
# Input that cannot be read ends the editor as the end of input does.
(cd "$work" && timeout 60 "$bin" <. >/dev/null) || fail "unreadable input: status $?"

# Output to a closed pipe ends the editor and keeps the work; the limit only stops a spinning one.
work=$(mktemp -d -p "$root")
(cd "$work" && { echo typed && yes more; } | timeout 300 "$bin" | head -c 10 >/dev/null)
[ "$(head -n 1 "$work/brenik.save")" = typed ] || fail "closed output: no brenik.save"
echo PASS
