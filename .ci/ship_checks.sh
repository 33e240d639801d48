#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What ships, checked on the built tree: the manual page renders without a warning and tells the
# program's real defaults, the README's tour and the page's example are what the program shows
# in a terminal, line for line, `cmake --install` lays down exactly the stripped program, its
# compressed page, the licence and the changelog, and the Debian package holds the same with
# the right metadata and passes lintian without an error or a warning. CI installs every tool
# used here.
# Usage: .ci/ship_checks.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: ship_checks.sh BUILD_DIR}")
root=$(realpath "$(dirname "$0")/..")
page=$root/man/brenik.1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'echo "ship checks: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
die() { printf 'ship checks FAILED: %s\n' "$*" >&2; exit 1; }
# run LOG CMD...: the tool's chatter only when it fails.
run() { local log=$1; shift; "$@" >"$log" 2>&1 || { cat "$log"; die "$* failed"; }; }

echo "== manual page lint"
out=$(groff -man -ww -z "$page" 2>&1)
[ -z "$out" ] || die "groff -man -ww -z reports:"$'\n'"$out"
out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$out" ] || die "man --warnings reports:"$'\n'"$out"

echo "== cmake --install"
prefix=$tmp/prefix
run "$tmp/install.log" cmake --install "$build" --prefix "$prefix"
installed=$(cd "$prefix" && find . -type f -o -type l | sort)
docs=(./share/doc/brenik/changelog.gz ./share/doc/brenik/copyright ./share/man/man1/brenik.1.gz)
[ "$installed" = "$(printf '%s\n' ./bin/brenik "${docs[@]}")" ] ||
  die "installed files:"$'\n'"$installed"
[ -x "$prefix/bin/brenik" ] || die "bin/brenik is not executable"
# Stripped: no symbol table and no debug information, as a distribution ships a program.
if readelf -S "$prefix/bin/brenik" | grep -E '\.symtab|\.debug_' >/dev/null; then
  die "the installed program is not stripped"
fi
zcat "$prefix/share/man/man1/brenik.1.gz" | cmp -s - "$page" ||
  die "the installed page differs from man/brenik.1"
# The copyright file's licence is the LICENSE file's, in the machine-readable form.
copyright=$prefix/share/doc/brenik/copyright
[ "$(head -n 1 "$copyright")" = \
  'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ] ||
  die "the copyright file is not in the machine-readable format"
diff <(sed -n '/^Permission/,$p' "$root/LICENSE") \
  <(sed -n '/^License: Expat$/,$p' "$copyright" | tail -n +2 | sed 's/^ //; s/^\.$//') ||
  die "the copyright file's licence differs from LICENSE"
mkdir "$tmp/work"
(cd "$tmp/work" && printf 'Installed and running\n!q\nS\nhello.txt\nq\nq\n' |
  "$prefix/bin/brenik" >../session.out) || die "the installed program ended with status $?"
grep -qx 'Saved to hello.txt' "$tmp/session.out" ||
  die "no 'Saved to hello.txt' from the installed program"
[ "$(cat "$tmp/work/hello.txt")" = $'Installed and running\nq' ] ||
  die "hello.txt does not hold the typed lines"
out=$(MANWIDTH=80 man -M "$prefix/share/man" brenik 2>&1) || true
[[ $out == BRENIK\(1\)* ]] ||
  die "man -M PREFIX/share/man brenik does not show the page: ${out:0:200}"

echo "== the README's tour and the page's example, whole line by whole line"
command -v strace >/dev/null || die "strace is needed to replay the tour"
# The lines of their blocks as a terminal shows them, the page's escapes printed; a line "..."
# stands for lines left out, as does the gap between two blocks.
awk '/^## A quick tour$/ { on = 1; next } on && /^## / { exit }
  on && /^```$/ { if (!inside && blocks++) print "..."; inside = !inside; next } on && inside' \
  "$root/README.md" >"$tmp/tour"
awk '/^\.SH EXAMPLE$/ { on = 1; next } on && /^\.SH / { exit }
  on && /^\.E[XE]$/ { inside = !inside; next } on && inside' "$page" |
  sed "s/\\\\&//g; s/\\\\(aq/'/g" >"$tmp/example"
# replay TRANSCRIPT: what a terminal shows of the session the transcript tells. The installed
# program runs again with one more input line each time, under strace, and what it printed
# before the read that found no more input is what was on the screen when the line was typed:
# the rest of the prompt line the transcript shows there, or the line after the question.
replay() {
  local lines typed=() before= shown= printed partial last next=0 k
  mapfile -t lines <"$tmp/$1"
  [ "${lines[0]}" = '$ brenik notes.txt' ] || die "the $1 does not start with \$ brenik notes.txt"
  while :; do
    rm -rf "$tmp/replay" && mkdir "$tmp/replay"
    if [ "${#typed[@]}" -gt 0 ]; then printf '%s\n' "${typed[@]}"; fi >"$tmp/replay/in"
    (cd "$tmp/replay" && HOME=$PWD strace -o ../trace -e trace=read,write -xx -s 1000000 \
      "$prefix/bin/brenik" notes.txt <"$tmp/replay/in" >/dev/null) || true
    printed=$(awk '/^read\(0, "", [0-9]+\) += 0$/ { exit } /^write\(1, "/ {
      sub(/^write\(1, "/, ""); sub(/", [0-9]+\) += [0-9]+$/, ""); printf "%s", $0 }' \
      "$tmp/trace")
    printed=$(printf '%b.' "$printed") && printed=${printed%.}
    [[ $printed == "$before"* ]] || die "the $1: one more input line changed what came before it"
    shown+=${printed#"$before"} before=$printed
    grep -q '^read(0, "", [0-9]*) *= 0$' "$tmp/trace" || break
    partial=${shown##*$'\n'} last=${shown%$'\n'*} last=${last##*$'\n'}
    for ((k = next + 1; k < ${#lines[@]}; k++)); do
      [ "${lines[k]}" != ... ] && [[ ${lines[k]} == "$partial"* ]] &&
        { [ -n "$partial" ] || [ "${lines[k - 1]}" = "$last" ]; } && break
    done
    [ "$k" -lt "${#lines[@]}" ] || die "the $1 shows nothing to type after:"$'\n'"$shown"
    typed+=("${lines[k]#"$partial"}") next=$k
    shown+=${typed[-1]}$'\n'
  done
  printf '%s' "$shown"
}
# Each stretch of lines between two "..." comes after the one before; the first one starts what
# the terminal showed, and the last one ends it.
for doc in tour example; do
  replay "$doc" >"$tmp/$doc.shown"
  rest=$'\n'$(cat "$tmp/$doc.shown"; echo .) && rest=${rest%.}
  mapfile -t lines <"$tmp/$doc"
  stretch=$'\n' first=1
  for ((k = 1; k <= ${#lines[@]}; k++)); do
    if [ "$k" -lt "${#lines[@]}" ] && [ "${lines[k]}" != ... ]; then
      stretch+=${lines[k]}$'\n'
      continue
    fi
    if [ "$first" = 1 ]; then [[ $rest == "$stretch"* ]]; else [[ $rest == *"$stretch"* ]]; fi ||
      die "the $doc's lines from '${stretch:1:40}' are not what the program showed:"$'\n'"$(
        cat "$tmp/$doc.shown")"
    rest=$'\n'${rest#*"$stretch"} stretch=$'\n' first=0
  done
  [ "$rest" = $'\n' ] || die "the program showed more after the $doc's last line:$rest"
done

echo "== the page's defaults against the settings file the program created"
rc=$tmp/work/.brenik_rc
awk '/^\.SS The created file/ { on = 1; next } on && /^\.EX/ { copy = 1; next }
  copy && /^\.EE/ { exit } copy { print }' "$page" >"$tmp/documented"
diff -u "$tmp/documented" "$rc" ||
  die "the page's copy of the created file differs (- page, + program)"
# Each command as the page introduces it, .BR key "  (\fIname\fR)", against the program's keys.
sed -n 's/^\.BR \(.\) "  (\\fI\([a-z_]*\)\\fR)"$/\2=\1/p' "$page" | sort >"$tmp/page_keys"
settings='max_lines|max_char|anchor_position|lines_per_page|show_numbers|launch_command'
grep -E '^[a-z_]+=.$' "$rc" | grep -vE "^($settings)=" | sort >"$tmp/keys"
[ "$(wc -l <"$tmp/keys")" = 37 ] || die "the created file does not list 37 commands"
diff -u "$tmp/page_keys" "$tmp/keys" ||
  die "the page's commands and keys differ (- page, + program)"

echo "== cpack -G DEB"
version=$(sed -n 's/^Brenik \([0-9.]*\) by .*/\1/p' "$tmp/session.out")
arch=$(dpkg --print-architecture)
run "$tmp/cpack.log" cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/deb"
deb=$tmp/deb/brenik_${version}_$arch.deb
[ "$(ls "$tmp"/deb/*.deb)" = "$deb" ] ||
  die "expected only $(basename "$deb"), got: $(ls "$tmp/deb")"
contents=$(dpkg-deb -c "$deb")
# The program, its page, the licence and the changelog; a static program also carries the
# lintian override that says why it is static.
want=("-rwxr-xr-x ./usr/bin/brenik")
for doc in "${docs[@]}"; do want+=("-rw-r--r-- ./usr${doc#.}"); done
dirs='./usr/ ./usr/bin/ ./usr/share/ ./usr/share/doc/ ./usr/share/doc/brenik/ '
if ! readelf -l "$build/brenik" | grep -q INTERP; then
  want+=("-rw-r--r-- ./usr/share/lintian/overrides/brenik")
  dirs+='./usr/share/lintian/ ./usr/share/lintian/overrides/ '
fi
dirs+='./usr/share/man/ ./usr/share/man/man1/ '
[ "$(awk '!/^d/ { print $1, $6 }' <<<"$contents" | sort)" = "$(printf '%s\n' "${want[@]}" | sort)" ] &&
  [ "$(awk '{ print $2 }' <<<"$contents" | sort -u)" = root/root ] &&
  [ "$(awk '$1 ~ /^d/ { print $6 }' <<<"$contents" | sort | tr '\n' ' ')" = "$dirs" ] ||
  die "package contents:"$'\n'"$contents"
info=$(dpkg-deb -I "$deb")
field() { sed -n "s/^ $1: //p" <<<"$info"; }
for want in "Package=brenik" "Version=$version" "Architecture=$arch" "Section=editors" \
  "Maintainer=$(sed -n 's/^BRENIK_MAINTAINER:STRING=//p' "$build/CMakeCache.txt")" \
  "Description=small, dependable line-oriented text editor for a terminal"; do
  name=${want%%=*}
  [ "$(field "$name")" = "${want#*=}" ] ||
    die "$name: '$(field "$name")', expected '${want#*=}'"
done
dpkg-deb -x "$deb" "$tmp/root"
# A program that loads shared libraries must declare the C library; a static one needs nothing.
if readelf -d "$tmp/root/usr/bin/brenik" | grep 'NEEDED.*libc\.so' >/dev/null; then
  [[ $(field Depends) == *libc6* ]] ||
    die "the program loads libc, but Depends is '$(field Depends)'"
fi
zcat "$tmp/root/usr/share/man/man1/brenik.1.gz" | cmp -s - "$page" ||
  die "the packaged page differs from man/brenik.1"
[ "$(zcat "$tmp/root/usr/share/doc/brenik/changelog.gz" | head -n 1)" = \
  "brenik ($version) unstable; urgency=medium" ] || die "the changelog is not for $version"
mkdir "$tmp/pkgwork"
(cd "$tmp/pkgwork" && printf 'from the package\nq\nq\n' | "$tmp/root/usr/bin/brenik" >../pkg.out) ||
  die "the packaged program ended with status $?"
grep -qx ' 1  from the package' "$tmp/pkg.out" ||
  die "the packaged program does not show the typed line"

echo "== lintian"
# Any error or warning fails; an override in the package must follow a comment that says why.
overrides=$tmp/root/usr/share/lintian/overrides/brenik
if [ -e "$overrides" ]; then
  awk '/^#/ { said = 1; next } !said { exit 1 } { said = 0 }' "$overrides" ||
    die "a lintian override without a comment that says why: $overrides"
fi
lintian --fail-on error,warning --no-tag-display-limit "$deb" >"$tmp/lintian.log" 2>&1 ||
  { cat "$tmp/lintian.log"; die "lintian reports errors or warnings"; }
grep -E '^[EW]: ' "$tmp/lintian.log" && die "lintian reports errors or warnings"
echo "ship checks passed"
