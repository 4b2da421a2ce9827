#!/usr/bin/env bash
# The one-way dependency rule, checked on every #include "..." of the tree: core knows no host;
# shell knows core; params, render and ui know shell and core (and not each other); the simulated
# host knows only sdk. Prints each include that crosses a floor the wrong way; fails if any does.
set -euo pipefail
cd "$(dirname "$0")/.."

# Folder -> the folders its files may include from, besides itself and the SDK's own headers.
declare -A allowed=(
  [core]=""
  [shell]="core resources"
  [params]="shell core resources"
  [render]="shell core resources"
  [ui]="shell core resources"
  [resources]=""
  [host]=""
)
status=0
for floor in "${!allowed[@]}"; do
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${text}")
    [[ ${target} == */* ]] || continue # same folder or an SDK header
    top=${target%%/*}
    [[ ${top} == "${floor}" || ${top} == adobesdk ]] && continue
    if [[ " ${allowed[${floor}]} " != *" ${top} "* ]]; then
      echo "${file}:${line}: ${floor}/ may not include ${target}"
      status=1
    fi
  done < <(git grep -n -E '^\s*#\s*include "' -- "${floor}/" || true)
done
exit "${status}"
