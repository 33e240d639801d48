#!/usr/bin/env bash
# In a real terminal, what is typed at the prompt must stand right below the character it
# replaces: with line numbers on lines 9 and 10, where the cursor label grows by one column,
# and with line numbers off. Control bytes of the document must reach the screen as "?".
set -u
bin=$(realpath "$1")
# shellcheck source=tests/ship/terminal_lib.sh
. "$(dirname "$0")/terminal_lib.sh"

work=$(mktemp -d -p "$tm_scratch")
words=(alpha bravo '' delta echo foxtrot golf hotel india juliett kilo lima)
for k in "${!words[@]}"; do
  if [ "$k" = 2 ]; then
    # A title change and a clear-screen request, as a hostile file could hold them.
    printf 'line 3: \033]2;pwned\a\033[2J\n'
  else
    printf 'line %d: %s\n' $((k + 1)) "${words[k]}"
  fi
done >"$work/doc.txt"
bytes=$(wc -c <"$work/doc.txt")

tm_start "$work" doc.txt
tm_expect 1 'Opened doc.txt' "Read $bytes bytes, 11 Lines Generated" '' 'Editing 1:1 doc.txt' '' \
  '[1] line 1: alpha' ' 2  line 2: bravo' ' 3  line 3: ?]2;pwned??[2J' ' 4  line 4: delta' \
  ' 5  line 5: echo' ' 6  line 6: foxtrot' ' 7  line 7: golf' ' 8  line 8: hotel' '  > '
title=$(tm display -p -t brenik '#{pane_title}')
[ "$title" != pwned ] || tm_die "the document changed the terminal's title"

tm_line g
tm_expect 0 '  > g' 'Go to which line?'
tm_line 9
tm_expect 1 '9' '' 'Editing 9:1 doc.txt' '' ' 2  line 2: bravo' ' 3  line 3: ?]2;pwned??[2J' \
  ' 4  line 4: delta' ' 5  line 5: echo' ' 6  line 6: foxtrot' ' 7  line 7: golf' \
  ' 8  line 8: hotel' '[9] line 9: india' '  > '
tm_line G
tm_expect 0 '  > G' 'Go to which position?'
tm_line 7
tm_expect 1 '7' '' 'Editing 9:7 doc.txt' '' ' 2  : bravo' ' 3  : ?]2;pwned??[2J' ' 4  : delta' \
  ' 5  : echo' ' 6  : foxtrot' ' 7  : golf' ' 8  : hotel' '[9] : india' '  > '

# Line numbers on: the label "[9] " is four columns wide, "[10] " five.
tm_check_column Z :
tm_enter
tm_expect 1 '  > Z' '' 'Editing 10:7 doc.txt' '' ' 3  : ?]2;pwned??[2J' ' 4  : delta' \
  ' 5  : echo' ' 6  : foxtrot' ' 7  : golf' ' 8  : hotel' ' 9  Z india' '[10] 0: juliett' \
  '   > '
tm_check_column Y 0
tm_enter
tm_expect 1 '   > Y' '' 'Editing 11:7 doc.txt' '' ' 4  : delta' ' 5  : echo' ' 6  : foxtrot' \
  ' 7  : golf' ' 8  : hotel' ' 9  Z india' ' 10  Y: juliett' '[11] 1: kilo' '   > '

# Line numbers off: two columns in front of every line and of the prompt.
tm_line '#'
tm_expect 1 '   > #' '' 'Editing 11:7 doc.txt' '' '  : delta' '  : echo' '  : foxtrot' \
  '  : golf' '  : hotel' '  Z india' '  Y: juliett' '> 1: kilo' '> '
tm_line g
tm_expect 0 '> g' 'Go to which line?'
tm_line 9
tm_expect 1 '9' '' 'Editing 9:7 doc.txt' '' '  : bravo' '  : ?]2;pwned??[2J' '  : delta' \
  '  : echo' '  : foxtrot' '  : golf' '  : hotel' '> Z india' '> '
tm_line G
tm_expect 0 '> G' 'Go to which position?'
tm_line 2
tm_expect 1 '2' '' 'Editing 9:2 doc.txt' '' '  ine 2: bravo' '  ine 3: ?]2;pwned??[2J' \
  '  ine 4: delta' '  ine 5: echo' '  ine 6: foxtrot' '  ine 7: golf' '  ine 8: hotel' \
  '> ine 9Z india' '> '
tm_check_column X i
tm_enter
tm_expect 1 '> X' '' 'Editing 10:2 doc.txt' '' '  ine 3: ?]2;pwned??[2J' '  ine 4: delta' \
  '  ine 5: echo' '  ine 6: foxtrot' '  ine 7: golf' '  ine 8: hotel' '  Xne 9Z india' \
  '> ine 1Y: juliett' '> '
tm_check_column W i
tm_enter
tm_expect 1 '> W' '' 'Editing 11:2 doc.txt' '' '  ine 4: delta' '  ine 5: echo' \
  '  ine 6: foxtrot' '  ine 7: golf' '  ine 8: hotel' '  Xne 9Z india' '  Wne 1Y: juliett' \
  '> ine 11: kilo' '> '

tm_line S
tm_expect 1 '> S' 'Saved to doc.txt' '' 'Editing 11:2 doc.txt' '' '  ine 4: delta' \
  '  ine 5: echo' '  ine 6: foxtrot' '  ine 7: golf' '  ine 8: hotel' '  Xne 9Z india' \
  '  Wne 1Y: juliett' '> ine 11: kilo' '> '
tm_quit 0

# The file keeps its control bytes; only the two typed lines changed.
expected=$(for k in "${!words[@]}"; do
  case $k in
    2) printf 'line 3: \033]2;pwned\a\033[2J\n' ;;
    8) printf 'lXne 9Z india\n' ;;
    9) printf 'lWne 1Y: juliett\n' ;;
    *) printf 'line %d: %s\n' $((k + 1)) "${words[k]}" ;;
  esac
done)
[ "$(cat "$work/doc.txt")" = "$expected" ] || tm_die "doc.txt does not hold the edited text"
echo "PASS"
