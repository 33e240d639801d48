#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SIGKILL at random moments, piped and in a real terminal: the next session rebuilds from the
# journal the document that the input up to the last acknowledged line made. The journal is on
# the disk before each wait for input (the order of system calls, when strace is there).
set -u
bin=$(realpath "$1") root=$(mktemp -d) sock=brenik-kill-$$
trap 'tmux -L "$sock" kill-server 2>/dev/null; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" && exit 1; }
wait_until() { local end=$((SECONDS + 60)); until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.01; done; }
viewed() { [ "$(cat "$1" 2>/dev/null | grep -c '^Editing ')" -ge "$2" ]; } # viewed OUT N: N views
units=('first line' 'second line' D w z . , T t 'x
2' 'i
inserted' 'm
3' 'C
5' 'c
3' v G$'\n'4 'typed' S '!q' 'g
7' 'last')
# expected DIR K: the document that the first K units make, as a session that saves it shows.
expected() {
  mkdir -p "$1" && cp "$root/start" "$1/doc" && cp "$root/.brenik_rc" "$1/"
  (cd "$1" && { printf '%s\n' "${script[@]:0:$2}"; printf 's\nexpected\no\nq\nq\n'; } |
    "$bin" doc >/dev/null)
  cat "$1/expected"
}
cd "$root" && printf 'max_lines=20\nmax_char=30\n' >.brenik_rc && printf 'one\ntwo\nthree\n' >start
for round in $(seq 12); do
  script=() && for k in $(seq 25); do script+=("${units[RANDOM % ${#units[@]}]}"); done
  work=$root/r$round && mkdir "$work" && cp start "$work/doc" && cp .brenik_rc "$work/"
  mkfifo "$work/in"
  (cd "$work" && exec "$bin" doc <in >out) &
  pid=$! && exec 3>"$work/in"
  stop=$((RANDOM % 25)) mid=$((RANDOM % 2))
  for k in $(seq 0 $((stop - 1))); do
    printf '%s\n' "${script[k]}" >&3
    wait_until viewed "$work/out" $((k + 2)) || fail "round $round: no view"
  done
  # Killed once the last view is shown, or while the next unit is being carried out.
  [ "$mid" = 1 ] && printf '%s\n' "${script[stop]}" >&3 && sleep "0.00$((RANDOM % 4))"
  kill -KILL "$pid" && wait "$pid" 2>/dev/null
  exec 3>&-
  (cd "$work" && printf 'q\n' | "$bin" doc >/dev/null)
  got=$(cat "$work/doc.save" 2>/dev/null || cat "$work/doc")
  [ "$got" = "$(expected "$root/e$round" "$stop")" ] ||
    { [ "$mid" = 1 ] && [ "$got" = "$(expected "$root/f$round" $((stop + 1)))" ]; } ||
    fail "round $round: the rebuilt document differs after ${script[*]:0:stop}"
  [ -z "$(ls -A "$work" | grep journal)" ] || fail "round $round: a journal was left"
done

# A person typing in a real terminal, with pauses; then the editor is killed.
if command -v tmux >/dev/null; then
  work=$root/tty && mkdir "$work" && cp start "$work/doc" && cp .brenik_rc "$work/"
  tmux -L "$sock" new-session -d -s k -x 80 -y 30 -c "$work" -- "$bin" doc
  for text in Hello there '!edited'; do
    tmux -L "$sock" send-keys -t k -l "$text" && sleep 0.2 && tmux -L "$sock" send-keys -t k Enter
  done
  wait_until grep -q "^\\.\\?doc" <(ls -A "$work") && sleep 0.3
  kill -KILL "$(tmux -L "$sock" display -p -t k '#{pane_pid}')"
  (cd "$work" && printf 'q\n' | "$bin" doc >out)
  [ "$(cat "$work/doc.save")" = "$(printf 'Hello\nthere\nedited')" ] ||
    fail "the terminal session was not rebuilt: $(cat "$work/out")"
elif [ -n "${CI:-}" ]; then
  fail "tmux is not installed"
fi

# The power-cut promise: before every wait for input, the journal's last write is synced.
if command -v strace >/dev/null; then
  work=$root/trace && mkdir "$work" && cp start "$work/doc" && cp .brenik_rc "$work/"
  mkfifo "$work/in"
  (cd "$work" && exec strace -o trace -e trace=openat,write,fdatasync,ppoll "$bin" doc <in >out) &
  pid=$! && exec 3>"$work/in"
  for n in 2 3 4; do
    printf 'line %s\n' $n >&3 && wait_until viewed "$work/out" $n && sleep 0.1
  done
  exec 3>&- && wait "$pid"
  awk '/brenik-journal/ && /openat/ { split($0, a, "= "); fd = a[2] }
       fd != "" && $0 ~ "^write\\(" fd "," { dirty = 1 }
       fd != "" && $0 ~ "^fdatasync\\(" fd "\\)" { dirty = 0 }
       /^ppoll/ && dirty { bad = 1 } END { exit fd == "" || bad }' "$work/trace" ||
    fail "a wait for input came before the journal was synced: $(cat "$work/trace")"
fi
echo PASS
