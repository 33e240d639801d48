#!/usr/bin/env bash
# Runs the editor on NAME.in in a fresh directory and compares its output with NAME.out.
# Optional: NAME.args (one argument a line), NAME.files/ (copied in first), NAME.status
# (expected exit status, default 0), NAME.expect/ (files that must exist afterwards, exactly).
set -u
bin=$1 dir=$2 name=$3
work=$(mktemp -d) || exit 2
out=$(mktemp) || exit 2
trap 'rm -rf "$work" "$out"' EXIT

if [ -d "$dir/$name.files" ]; then
  cp -a "$dir/$name.files/." "$work/"
fi
args=()
if [ -f "$dir/$name.args" ]; then
  mapfile -t args < "$dir/$name.args"
fi
(cd "$work" && "$bin" "${args[@]}" < "$dir/$name.in" > "$out")
status=$?
want_status=0
if [ -f "$dir/$name.status" ]; then
  want_status=$(cat "$dir/$name.status")
fi

failed=0
if ! diff -u "$dir/$name.out" "$out"; then
  echo "transcript $name: output differs (diff above: - expected, + actual)"
  failed=1
fi
if [ "$status" != "$want_status" ]; then
  echo "transcript $name: exit status $status, expected $want_status"
  failed=1
fi
if [ -d "$dir/$name.expect" ]; then
  while IFS= read -r -d '' file; do
    rel=${file#"$dir/$name.expect/"}
    if ! cmp "$file" "$work/$rel"; then
      echo "transcript $name: file $rel differs"
      failed=1
    fi
  done < <(find "$dir/$name.expect" -type f -print0)
fi
exit $failed
