#!/usr/bin/env bash
# `cpack -G DEB` must build a package that holds exactly the program and its manual page, with
# the package's metadata, and whose program runs.
set -u
build=$(realpath "$1")
source_dir=$(realpath "$2")
# shellcheck source=tests/ship/common.sh
. "$(dirname "$0")/common.sh"
for tool in cpack dpkg-deb dpkg; do
  need_tool "$tool" "the Debian package cannot be built"
done

if ! (cd "$build" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
debs=("$scratch"/out/*.deb)
if [ "${#debs[@]}" != 1 ] || [ ! -f "${debs[0]}" ]; then
  ls -R "$scratch/out"
  echo "FAIL: expected exactly one .deb"
  exit 1
fi
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "brenik_1.03.2_$arch.deb" ] || fail "package file is $(basename "$deb")"

# Contents: the two files and the directories that hold them, nothing else.
contents=$(dpkg-deb -c "$deb")
names=$(printf '%s\n' "$contents" | awk '{ print $6 }' | sort)
expected='./usr/
./usr/bin/
./usr/bin/brenik
./usr/share/
./usr/share/man/
./usr/share/man/man1/
./usr/share/man/man1/brenik.1'
[ "$names" = "$expected" ] || fail "package contents:
$contents"
printf '%s\n' "$contents" | grep -q '^-rwxr-xr-x root/root .* \./usr/bin/brenik$' ||
  fail "usr/bin/brenik is not an executable owned by root"
printf '%s\n' "$contents" | grep -q '^-rw-r--r-- root/root .* \./usr/share/man/man1/brenik.1$' ||
  fail "the manual page is not a plain file owned by root"

# Metadata.
info=$(dpkg-deb -I "$deb")
field() { printf '%s\n' "$info" | sed -n "s/^ $1: //p"; }
[ "$(field Package)" = brenik ] || fail "Package: $(field Package)"
[ "$(field Version)" = 1.03.2 ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = editors ] || fail "Section: $(field Section)"
[ "$(field Maintainer)" = 'Brenik developers <brenik@localhost>' ] ||
  fail "Maintainer: $(field Maintainer)"
[ "$(field Description)" = 'small, dependable line-oriented text editor for a terminal' ] ||
  fail "Description: $(field Description)"

# What the package installs runs, and the page is the one in the source tree.
dpkg-deb -x "$deb" "$scratch/root"
# A program that loads shared libraries must declare the C library; a static one needs nothing.
if command -v readelf >/dev/null &&
  readelf -d "$scratch/root/usr/bin/brenik" 2>/dev/null | grep -q 'NEEDED.*libc\.so'; then
  case $(field Depends) in
    *libc6*) ;;
    *) fail "the program loads libc, but Depends does not name libc6: '$(field Depends)'" ;;
  esac
fi
cmp -s "$scratch/root/usr/share/man/man1/brenik.1" "$source_dir/man/brenik.1" ||
  fail "the packaged manual page differs from man/brenik.1"
mkdir "$scratch/work"
(cd "$scratch/work" && printf 'from the package\nq\nq\n' | "$scratch/root/usr/bin/brenik" \
  >"$scratch/session.out")
status=$?
[ "$status" = 0 ] || fail "the packaged program ended with status $status"
grep -q '^ 1  from the package$' "$scratch/session.out" || fail "the packaged program's view"

[ "$failures" = 0 ] || exit 1
echo "PASS"
