#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Saves at the edges, against the real binary: a size limit during a write in place, a file
# mounted over, another user's file in a shared folder, the emergency save's last folders, and
# saves killed halfway. Usage: save_edges_test.sh BRENIK [root]; "root" runs the checks that
# need another user or a mount, and is skipped when not root.
set -u
bin=$(realpath "$1") root=$(mktemp -d)
trap 'umount "$root/mounted" 2>/dev/null; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" && exit 1; }
chmod 755 "$root" && cd "$root" && printf 'max_lines=30000\n' >.brenik_rc
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }

if [ "${2:-}" != root ]; then
  # A write in place cut short by a size limit leaves the old file whole.
  seq 20000 >doc && ln doc doc2 && cp doc before
  (ulimit -f 20 && printf 'new\nS\nq\nq\n' | "$bin" doc >out)
  grep -q 'Cannot save to doc: File too large$' out && cmp -s doc before ||
    fail "a size limit changed the file"
  # Saves killed at random moments leave temporary files, which the next session removes.
  seq 25000 | sed 's/$/ and some text to make a longer line/' >big && { echo x && yes S | head -n 30; } >saves
  for n in $(seq 20); do
    "$bin" big <saves >/dev/null &
    sleep "0.$((RANDOM % 4))$((RANDOM % 10))" && kill -KILL $! 2>/dev/null
    wait $! 2>/dev/null
  done
  printf 'q\n' | "$bin" >/dev/null
  [ -z "$(ls -A | grep brenik-save)" ] || fail "temporary files were left: $(ls -A)"
  echo PASS && exit 0
fi
[ "$(id -u)" = 0 ] || { echo "SKIP: another user and a mount need root" && exit 0; }

# A file mounted over another cannot be renamed over; it is written in place.
echo old >src && touch mounted
if mount --bind src mounted 2>/dev/null; then
  printf 'new\nS\nq\nq\n' | "$bin" mounted >out
  grep -q 'Saved to mounted$' out && [ "$(cat src)" = new ] || fail "the mounted file: $(cat out)"
  umount mounted
else
  echo "note: no bind mount here; that check was left out"
fi

# Another user's writable file in a shared sticky folder: the rename is refused, the write not.
mkdir -m 1777 shared && echo old >shared/f && chmod 666 shared/f && cp .brenik_rc shared/
(cd shared && printf 'new\nS\nq\nq\n' | as_nobody "$bin" f >../out)
grep -q 'Saved to f$' out && [ "$(cat shared/f)" = new ] || fail "the shared file: $(cat out)"

# With every numbered name taken by links of another user and no folder of the document's to
# write, the work goes to a fresh name in the home folder, or else in the temporary folder, and
# the next session names it.
mkdir -m 755 locked && cp .brenik_rc locked/ && mkdir -m 777 home
(cd locked && perl -e 'symlink "x", "doc.save" . ($_ ? ".$_" : "") for 0..999')
(cd locked && printf 'typed\n' | HOME=$root/home as_nobody "$bin" doc >../out)
saved=$(ls home) && [ "$(cat "home/$saved")" = typed ] && [[ $saved == doc.save-* ]] ||
  fail "no emergency file in the home folder: $(cat out)"
(cd locked && printf 'q\n' | HOME=$root/home as_nobody "$bin" doc >../out)
# Emergency files that other sessions left in /tmp, which a test cannot keep out, are named too.
grep -Eq "left unsaved work in (.* )?$root/home/$saved(,| and |$)" out ||
  fail "the next session does not name $saved"
(cd locked && printf 'typed\n' | HOME=/nonexistent as_nobody "$bin" doc >../out)
tmp_file=$(sed -n 's/^Unsaved changes were written to //p' out)
[[ $tmp_file == /tmp/doc.save-* ]] && [ "$(cat "$tmp_file")" = typed ] && rm -f "$tmp_file" ||
  fail "no emergency file in the temporary folder: $(cat out)"
echo PASS
