#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A real terminal: the view, typed text landing below what it replaces, the cursor keys, and a
# hang-up that keeps the unsaved work in NAME.save for its owner only.
set -u
bin=$(realpath "$1")
if ! command -v tmux >/dev/null; then
  [ -z "${CI:-}" ] || { echo "FAIL: tmux is not installed"; exit 1; }
  echo "SKIP: tmux is not installed" && exit 0
fi
unset TMUX # a tmux of the caller's own must not take this session for a nested one
tmp=$(mktemp -d) sock=brenik-test-$$ socket=""
work=$tmp/work
tm() { tmux -L "$sock" "$@"; }
trap 'tm kill-server 2>/dev/null; rm -rf "$tmp" ${socket:+"$socket"}' EXIT

# Trailing blanks are kept (-N), as the prompt ends in one; rows never written are dropped.
screen() { local s && s=$(tm capture-pane -p -N -t brenik) && printf '%s\n' "$s"; }
die() { printf 'FAIL: %s\n--- screen ---\n' "$*"; screen 2>/dev/null; echo ---; exit 1; }
# The machine may be loaded: only a very long wait counts as a fault of the program.
until_ok() {
  local what=$1 end=$((SECONDS + 60))
  shift
  until "$@"; do [ "$SECONDS" -lt "$end" ] || die "timed out waiting for $what"; sleep 0.1; done
}
ends_with() { [ "$(screen | tail -n $#)" = "$(printf '%s\n' "$@")" ]; }
line() { tm send-keys -t brenik -l -- "$1" && tm send-keys -t brenik Enter; }

mkdir "$work"
printf 'set -g status off\nset -g remain-on-exit on\n' >"$tmp/tmux.conf"
# The editor is the pane's own process, so that closing the terminal reaches it as a hang-up.
tmux -L "$sock" -f "$tmp/tmux.conf" new-session -d -s brenik -x 100 -y 40 -c "$work" \
  -- "$bin" notes.txt || die "tmux could not start a session"
socket=$(tm display -p '#{socket_path}')
rest=(' 3' ' 4' ' 5' ' 6' ' 7' ' 8' '  > ')
until_ok "the first view" ends_with 'Editing 1:1 notes.txt' '' '[1] ' ' 2' "${rest[@]}"
line 'Hello, world'
until_ok "the view of the typed line" ends_with 'Editing 2:1 notes.txt' '' ' 1  Hello, world' \
  '[2] ' "${rest[@]}"
[ "$(tm display -p -t brenik '#{cursor_x},#{cursor_y}')" = "4,$(($(screen | wc -l) - 1))" ] ||
  die "the cursor does not wait right after the prompt"

line ,
line G
line 8
until_ok "the view at position 8" ends_with 'Editing 1:8 notes.txt' '' '[1] world' ' 2' "${rest[@]}"
tm send-keys -t brenik -l W
until_ok "W at the prompt" ends_with '  > W'
cursor_line=$(screen | grep '^\[1\] ' | tail -n 1)
[ "${cursor_line:4:1}" = w ] || die "W at the prompt is not below the w it replaces"
tm send-keys -t brenik Enter
until_ok "the edited view" ends_with 'Editing 2:8 notes.txt' '' ' 1  World' '[2] ' "${rest[@]}"

# The cursor keys as the terminal sends them, each followed by Enter, move the cursor.
header() { [ "$(screen | grep '^Editing ' | tail -n 1)" = "Editing $1 notes.txt" ]; }
for step in Up:1:1 End:1:13 Left:1:12 Home:1:1 Right:1:2 Down:2:1 NPage:10:1 PPage:2:1; do
  tm send-keys -t brenik "${step%%:*}" Enter
  until_ok "the view after $step" header "${step#*:}"
done

pid=$(tm display -p -t brenik '#{pane_pid}')
tm kill-server
# Nothing may reap the editor once its terminal is gone, so a zombie counts as ended.
gone() { [[ $(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null) =~ ^(Z|)$ ]]; }
until_ok "the editor to end after the hang-up" gone
[ "$(cat "$work/notes.txt.save" 2>/dev/null)" = 'Hello, World' ] ||
  die "notes.txt.save does not hold the unsaved text"
[ "$(stat -c %a "$work/notes.txt.save")" = 600 ] || die "notes.txt.save is not mode 600"
[ ! -e "$work/notes.txt" ] || die "the hang-up wrote notes.txt itself"
echo "PASS"
