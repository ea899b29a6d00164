#!/usr/bin/env bash
# The example day of tools/daysim/README.md, run for real: every line the
# README shows comes out of daysim, in the same order ("..." stands for lines
# the README leaves out).
#   daysim_example_test.sh SOURCE_DIR DAYSIM
set -euo pipefail
src=$1 daysim=$2
readme="$src/tools/daysim/README.md"
expected=$(awk '/^    \$ build\/host\/tools\/daysim /{on=1; next} on && /^    /{sub(/^    /, ""); print; next} on{exit}' "$readme")
[[ -n "$expected" ]] || { echo "no example output in $readme" >&2; exit 1; }
actual=$("$daysim" "$src/tools/daysim/examples/blocked-break.txt")
remaining=$actual
while IFS= read -r line; do
  [[ "$line" == "..." ]] && continue
  # The next occurrence of the line, at or after the last one matched.
  rest=$(awk -v want="$line" 'found{print; next} $0 == want{found=1}' <<<"$remaining")
  if ! grep -qxF -- "$line" <<<"$remaining"; then
    echo "README line not in daysim's output (in this order): $line" >&2
    echo "--- daysim printed:" >&2
    echo "$actual" >&2
    exit 1
  fi
  remaining=$rest
done <<<"$expected"
echo "daysim printed the README's $(grep -vcx '\.\.\.' <<<"$expected") example lines in order"
