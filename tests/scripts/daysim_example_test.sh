#!/usr/bin/env bash
# The example days of tools/daysim/README.md, run for real: every line the
# README shows under "$ build/host/tools/daysim tools/daysim/examples/X.txt"
# comes out of daysim for that script, in the same order ("..." stands for
# lines the README leaves out).
#   daysim_example_test.sh SOURCE_DIR DAYSIM
set -euo pipefail
src=$1 daysim=$2
readme="$src/tools/daysim/README.md"
scripts=$(awk '/^    \$ build\/host\/tools\/daysim /{print $3}' "$readme")
[[ -n "$scripts" ]] || { echo "no example output in $readme" >&2; exit 1; }
total=0
for script in $scripts; do
  expected=$(awk -v want="$script" '
    /^    \$ build\/host\/tools\/daysim /{on = ($3 == want); next}
    on && /^    /{sub(/^    /, ""); print; next}
    on{exit}' "$readme")
  [[ -n "$expected" ]] || { echo "no example output for $script in $readme" >&2; exit 1; }
  actual=$("$daysim" "$src/$script")
  remaining=$actual
  while IFS= read -r line; do
    [[ "$line" == "..." ]] && continue
    if ! grep -qxF -- "$line" <<<"$remaining"; then
      echo "README line not in daysim's output for $script (in this order): $line" >&2
      echo "--- daysim printed:" >&2
      echo "$actual" >&2
      exit 1
    fi
    # What follows the next occurrence of the line.
    remaining=$(awk -v want="$line" 'found{print; next} $0 == want{found=1}' <<<"$remaining")
  done <<<"$expected"
  total=$((total + $(grep -vcx '\.\.\.' <<<"$expected")))
done
echo "daysim printed the README's $total example lines in order"
