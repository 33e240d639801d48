#!/usr/bin/env bash
# `cmake --install` into a fresh prefix must put there exactly the program and its manual page;
# the installed program must then run a short session, and `man` must find the page.
set -u
build=$(realpath "$1")
source_dir=$(realpath "$2")
# shellcheck source=tests/ship/common.sh
. "$(dirname "$0")/common.sh"
prefix=$scratch/prefix
work=$scratch/work
mkdir -p "$work"

if ! cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

installed=$(cd "$prefix" && find . -type f -o -type l | sort)
expected=$'./bin/brenik\n./share/man/man1/brenik.1'
[ "$installed" = "$expected" ] || fail "installed files:
$installed
expected:
$expected"
[ -x "$prefix/bin/brenik" ] || fail "bin/brenik is not executable"
cmp -s "$prefix/share/man/man1/brenik.1" "$source_dir/man/brenik.1" ||
  fail "the installed manual page differs from man/brenik.1"

# A short session with the installed program, in a fresh directory.
(cd "$work" && printf 'Installed and running\n!q\nS\nhello.txt\nq\nq\n' |
  "$prefix/bin/brenik" >"$scratch/session.out")
status=$?
[ "$status" = 0 ] || fail "the installed program ended with status $status"
grep -qx 'Saved to hello.txt' "$scratch/session.out" || fail "no 'Saved to hello.txt' in the output"
[ "$(cat "$work/hello.txt" 2>/dev/null)" = $'Installed and running\nq' ] ||
  fail "hello.txt does not hold the typed lines"
[ "$(wc -c <"$work/.brenik_rc")" = 561 ] || fail "the settings file was not created in full"

if command -v man >/dev/null; then
  page=$(MANWIDTH=80 man -M "$prefix/share/man" brenik 2>&1)
  case $page in
    BRENIK\(1\)*) ;;
    *) fail "man -M PREFIX/share/man brenik does not show the page: ${page:0:200}" ;;
  esac
else
  echo "note: man is not installed, so only the page's presence was checked"
fi

[ "$failures" = 0 ] || exit 1
echo "PASS"
