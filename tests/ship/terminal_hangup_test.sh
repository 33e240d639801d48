#!/usr/bin/env bash
# Closing the terminal (the tmux server goes away and the editor gets SIGHUP) must keep typed
# work that was not saved in NAME.save, mode 0600, and must write nothing when all was saved.
set -u
bin=$(realpath "$1")
# shellcheck source=tests/ship/terminal_lib.sh
. "$(dirname "$0")/terminal_lib.sh"

editor_pid=""
editor_gone() { ! kill -0 "$editor_pid" 2>/dev/null; }

# hang_up: closes the whole terminal and waits until the editor has ended.
hang_up() {
  editor_pid=$(tm display -p -t brenik '#{pane_pid}')
  tm kill-server
  tm_poll "the editor to end after the hang-up" editor_gone
}

# The editor is the pane's own process, so that the hang-up reaches it as it would from a
# terminal, and its end can be awaited by its process id.
tm_bare=1

work=$(mktemp -d -p "$tm_scratch")
tm_start "$work" notes.txt
tm_expect 1 'File notes.txt not found!' '' 'Editing 1:1 notes.txt' '' '[1] ' ' 2' ' 3' ' 4' ' 5' \
  ' 6' ' 7' ' 8' '  > '
tm_line 'typed but never saved'
tm_expect 1 '  > typed but never saved' '' 'Editing 2:1 notes.txt' '' \
  ' 1  typed but never saved' '[2] ' ' 3' ' 4' ' 5' ' 6' ' 7' ' 8' '  > '
hang_up
[ "$(cat "$work/notes.txt.save" 2>/dev/null)" = 'typed but never saved' ] ||
  tm_die "notes.txt.save does not hold the unsaved text"
[ "$(stat -c %a "$work/notes.txt.save")" = 600 ] || tm_die "notes.txt.save is not mode 600"
[ ! -e "$work/notes.txt" ] || tm_die "the hang-up wrote notes.txt itself"

# Everything saved: a hang-up leaves nothing behind.
work=$(mktemp -d -p "$tm_scratch")
tm_start "$work" notes.txt
tm_expect 1 'File notes.txt not found!' '' 'Editing 1:1 notes.txt' '' '[1] ' ' 2' ' 3' ' 4' ' 5' \
  ' 6' ' 7' ' 8' '  > '
tm_line 'typed and saved'
tm_expect 1 '  > typed and saved' '' 'Editing 2:1 notes.txt' '' ' 1  typed and saved' '[2] ' ' 3' \
  ' 4' ' 5' ' 6' ' 7' ' 8' '  > '
tm_line S
tm_expect 1 '  > S' 'Saved to notes.txt' '' 'Editing 2:1 notes.txt' '' ' 1  typed and saved' \
  '[2] ' ' 3' ' 4' ' 5' ' 6' ' 7' ' 8' '  > '
hang_up
leftovers=$(find "$work" -mindepth 1 -maxdepth 1 ! -name .brenik_rc ! -name notes.txt)
[ -z "$leftovers" ] || tm_die "the hang-up left files behind: $leftovers"
[ "$(cat "$work/notes.txt")" = 'typed and saved' ] || tm_die "notes.txt changed"
echo "PASS"
