#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The folders of src/ form layers, each of which may include only its own folder and those
# below it. Prints every include that points up, or into an unknown folder, and then fails.
set -euo pipefail
cd "$(dirname "$0")/../src"

layers=(buffer term files settings core)
declare -A rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
done

status=0
for file in */*.h */*.cpp; do
  own=${file%%/*}
  while IFS=: read -r number included; do
    folder=${included%%/*}
    if [ -z "${rank[$own]:-}" ] || [ -z "${rank[$folder]:-}" ] ||
       [ "${rank[$folder]}" -gt "${rank[$own]}" ]; then
      echo "src/$file:$number includes $included, outside the layers below $own" >&2
      status=1
    fi
  done < <(grep -no '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*"' "$file" |
           sed 's/:[^"]*"\([^"]*\)"$/:\1/')
done
if [ "$status" -eq 0 ]; then
  echo "every include points down: ${layers[*]}, from the bottom up"
fi
exit "$status"
