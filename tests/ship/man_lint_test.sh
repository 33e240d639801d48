#!/usr/bin/env bash
# The manual page must render without a single warning, and what it says about the defaults
# must be what the program does: its copy of the created settings file and the default key
# beside each command name are compared with the file the program really creates.
set -u
bin=$(realpath "$1")
page=$(realpath "$2")
# shellcheck source=tests/ship/common.sh
. "$(dirname "$0")/common.sh"
need_tool groff "the manual page cannot be checked"

lint=$(groff -man -ww -z "$page" 2>&1)
[ -z "$lint" ] || fail "groff -man -ww -z reports:
$lint"
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man --warnings -l reports:
$warnings"
fi

(cd "$scratch" && "$bin" </dev/null >/dev/null)
rc=$scratch/.brenik_rc
[ -f "$rc" ] || fail "the program did not create .brenik_rc"

# The block after ".SS The created file", between .EX and .EE.
awk '/^\.SS The created file/ { on = 1; next } on && /^\.EX/ { copy = 1; next }
  copy && /^\.EE/ { exit } copy { print }' "$page" >"$scratch/documented"
cmp -s "$scratch/documented" "$rc" || {
  diff -u "$scratch/documented" "$rc"
  fail "the page's copy of the created settings file differs (diff above: - page, + program)"
}

# Every command as the page introduces it, ".BR key "  (\fIname\fR)"", against the program's.
sed -n 's/^\.BR \(.\) "  (\\fI\([a-z_]*\)\\fR)"$/\2=\1/p' "$page" | sort >"$scratch/keys"
grep -E '^[a-z_]+=.$' "$rc" | grep -v -E '^(max_lines|max_char|anchor_position|lines_per_page|show_numbers|launch_command)=' | sort \
  >"$scratch/program_keys"
[ "$(wc -l <"$scratch/program_keys")" = 37 ] || fail "the program's file lists no 37 commands"
cmp -s "$scratch/keys" "$scratch/program_keys" || {
  diff -u "$scratch/keys" "$scratch/program_keys"
  fail "the commands and keys in the page differ from the program's (- page, + program)"
}

[ "$failures" = 0 ] || exit 1
echo "PASS"
