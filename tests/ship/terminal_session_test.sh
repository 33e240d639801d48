#!/usr/bin/env bash
# A first session in a real terminal, typed key by key: what a person sees after each step.
# Text, the "!" escape, a sideways view, line numbers off and on, a save with the name prompt,
# a launched command whose output must come after the editor's, and quit.
set -u
bin=$(realpath "$1")
# shellcheck source=tests/ship/terminal_lib.sh
. "$(dirname "$0")/terminal_lib.sh"

work=$(mktemp -d -p "$tm_scratch")
tm_start "$work"

empty_window=(' 2' ' 3' ' 4' ' 5' ' 6' ' 7' ' 8')
tm_expect 1 '' 'Brenik 1.03.2 by the Brenik developers' 'Making RC file: .brenik_rc' '' \
  "Enter 'h' for help or 'q' to quit" '' 'Editing 1:1 ' '' '[1] ' "${empty_window[@]}" '  > '

tm_line 'Hello, world'
tm_expect 1 '  > Hello, world' '' 'Editing 2:1 ' '' ' 1  Hello, world' '[2] ' \
  ' 3' ' 4' ' 5' ' 6' ' 7' ' 8' '  > '

# "q" alone would ask to quit; behind "!" it is a letter.
tm_line '!q'
tm_expect 1 '  > !q' '' 'Editing 3:1 ' '' ' 1  Hello, world' ' 2  q' '[3] ' \
  ' 4' ' 5' ' 6' ' 7' ' 8' '  > '

tm_line q
tm_expect 0 '  > q' "Enter 'q' again to quit or anything else to continue"
tm_line n
tm_expect 1 'n' '' 'Editing 3:1 ' '' ' 1  Hello, world' ' 2  q' '[3] ' \
  ' 4' ' 5' ' 6' ' 7' ' 8' '  > '

tm_line ,
tm_expect 1 '  > ,' '' 'Editing 2:1 ' '' ' 1  Hello, world' '[2] q' ' 3' ' 4' ' 5' ' 6' ' 7' \
  ' 8' '  > '
tm_line ,
tm_expect 1 '  > ,' '' 'Editing 1:1 ' '' '[1] Hello, world' ' 2  q' ' 3' ' 4' ' 5' ' 6' ' 7' \
  ' 8' '  > '

# Position 8: every line is shown from there on, and a line too short shows no text.
tm_line G
tm_expect 0 '  > G' 'Go to which position?'
tm_line 8
tm_expect 1 '8' '' 'Editing 1:8 ' '' '[1] world' "${empty_window[@]}" '  > '
tm_check_column W w
tm_enter
tm_expect 1 '  > W' '' 'Editing 2:8 ' '' ' 1  World' '[2] ' ' 3' ' 4' ' 5' ' 6' ' 7' ' 8' \
  '  > '

tm_line '#'
tm_expect 1 '  > #' '' 'Editing 2:8 ' '' '  World' '>' '' '' '' '' '' '' '> '
tm_line ,
tm_expect 1 '> ,' '' 'Editing 1:1 ' '' '> Hello, World' '  q' '' '' '' '' '' '' '> '
tm_check_column M H
tm_enter
tm_expect 1 '> M' '' 'Editing 2:1 ' '' '  Mello, World' '> q' '' '' '' '' '' '' '> '
tm_line '#'
tm_expect 1 '> #' '' 'Editing 2:1 ' '' ' 1  Mello, World' '[2] q' ' 3' ' 4' ' 5' ' 6' ' 7' \
  ' 8' '  > '

after_save=('' 'Editing 2:1 notes.txt' '' ' 1  Mello, World' '[2] q' ' 3' ' 4' ' 5' ' 6' ' 7'
  ' 8' '  > ')
tm_line S
tm_expect 0 '  > S' 'Enter a filename to save to'
tm_line notes.txt
tm_expect 1 'notes.txt' 'Saved to notes.txt' "${after_save[@]}"

tm_line +
tm_expect 0 '  > +' 'There is no command in memory' \
  'Enter new command or [enter] to keep current one'
tm_line 'wc -l notes.txt'
tm_expect 1 'wc -l notes.txt' "${after_save[@]}"
tm_line '='
tm_expect 1 '  > =' 'Saved to notes.txt' '2 notes.txt' "${after_save[@]}"

tm_quit 0
[ "$(cat "$work/notes.txt")" = $'Mello, World\nq' ] || tm_die "notes.txt holds the wrong text"
leftovers=$(find "$work" -mindepth 1 -maxdepth 1 ! -name .brenik_rc ! -name notes.txt)
[ -z "$leftovers" ] || tm_die "unexpected files left: $leftovers"
echo "PASS"
