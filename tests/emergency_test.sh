#!/usr/bin/env bash
# The real binary, ended by a real signal or by the end of its input, must keep unsaved work in
# a fresh 0600 file and never overwrite one; without unsaved work it must write nothing.
set -u
bin=$(realpath "$1")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts the editor on a fifo in a fresh directory; sets $work, $pid and fd 3 (its input).
start() {
  work=$(mktemp -d)
  mkfifo "$work/in"
  (cd "$work" && exec "$bin" "$@" <in >out) &
  pid=$!
  exec 3>"$work/in"
}

# Waits until the output has grown by one more prompt than $1 prompts.
wait_prompts() {
  local want=$1 deadline=$((SECONDS + 10))
  while [ "$(grep -o 'Editing ' "$work/out" 2>/dev/null | wc -l)" -lt "$want" ]; do
    [ $SECONDS -lt $deadline ] || { fail "no prompt $want"; return 1; }
    sleep 0.05
  done
}

finish() {  # closes the input if still open and reaps the editor; sets $status
  exec 3>&- 2>/dev/null
  wait "$pid"
  status=$?
}

for sig in HUP TERM INT; do
  start notes.txt
  printf 'first line\nsecond line\n' >&3
  wait_prompts 3
  kill -s "$sig" "$pid"
  finish
  [ "$status" = 1 ] || fail "SIG$sig: status $status, expected 1"
  [ "$(cat "$work/notes.txt.save" 2>/dev/null)" = $'first line\nsecond line' ] ||
    fail "SIG$sig: emergency file content"
  [ "$(stat -c %a "$work/notes.txt.save" 2>/dev/null)" = 600 ] || fail "SIG$sig: mode not 600"
  grep -q 'notes.txt.save' "$work/out" || fail "SIG$sig: the emergency file is not named"
  rm -rf "$work"
done

# A signal without unsaved work: status 1, nothing written.
start notes.txt
wait_prompts 1
kill -s TERM "$pid"
finish
[ "$status" = 1 ] || fail "clean SIGTERM: status $status"
[ -z "$(ls "$work" | grep save)" ] || fail "clean SIGTERM wrote a file"
rm -rf "$work"

# End of input with unsaved work: never over an existing file, the first free number instead.
start notes.txt
printf 'old' >"$work/notes.txt.save"
printf 'old' >"$work/notes.txt.save.1"
printf 'typed\n' >&3
finish
[ "$status" = 1 ] || fail "end of input: status $status"
[ "$(cat "$work/notes.txt.save")" = old ] || fail "an existing .save was overwritten"
[ "$(cat "$work/notes.txt.save.2" 2>/dev/null)" = typed ] || fail "no .save.2"
rm -rf "$work"

# A name whose folder does not exist: the emergency file goes to the current directory.
start missing/dir/notes.txt
printf 'typed\n' >&3
finish
[ "$(cat "$work/brenik.save" 2>/dev/null)" = typed ] || fail "no brenik.save for a missing folder"
rm -rf "$work"

# End of input without unsaved work: status 0, nothing written.
start
printf 'g\n3\n' >&3
finish
[ "$status" = 0 ] || fail "clean end of input: status $status"
[ -z "$(ls "$work" | grep save)" ] || fail "clean end of input wrote a file"
rm -rf "$work"

# Output to a closed pipe: the editor ends instead of spinning, and keeps the work.
work=$(mktemp -d)
(cd "$work" && { printf 'typed\n'; yes 'more text'; } | timeout 20 "$bin" | head -c 10 >/dev/null)
[ -f "$work/brenik.save" ] || fail "closed output: no emergency file"
rm -rf "$work"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all emergency cases passed"
