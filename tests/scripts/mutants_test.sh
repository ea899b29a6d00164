#!/usr/bin/env bash
# The mutation tool's choice of mutants: each operator finds its place in
# code, never inside strings or comments, and the same seed picks the same
# mutants. Runs nothing but the listing.
set -uo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/sample.cpp" <<'SRC'
int Clamp(int value, int low) {
  // a < b && c in a comment stays
  const char *text = "x == y || 7";
  if (value < low && low != 0)
    return Pick(low, value);
  Notify(value);
  return false;
}
/* 5 > 4
   3 >= 2 */
SRC
list() { "$root/scripts/mutants.sh" "$work/sample.cpp" --list --limit "$1" --seed "${2:-1}"; }
out=$(list 0)
fail=0
expect() {
  grep -qF -- "$1" <<<"$out" || { echo "missing mutant: $1"; fail=1; }
}
expect "4: relational < -> <=: if (value <= low && low != 0)"
expect "4: relational != -> ==: if (value < low && low == 0)"
expect "4: logical && -> ||: if (value < low || low != 0)"
expect "4: negated if: if (!(value < low && low != 0))"
expect "4: constant 0 -> 1: if (value < low && low != 1)"
expect "5: arguments swapped: return Pick(value, low);"
expect "5: return value dropped: return {};"
expect "6: statement dropped: ;"
expect "7: return false -> true: return true;"
inside=$(grep -E '^  (2|3|9|10):' <<<"$out" | grep -v ': statement dropped:')
[[ -z "$inside" ]] || { echo "a comment or string was mutated:"; echo "$inside"; fail=1; }
[[ "$(list 4 7)" == "$(list 4 7)" ]] || { echo "the same seed chose other mutants"; fail=1; }
[[ "$(list 4 7)" != "$(list 4 8)" ]] || { echo "another seed chose the same mutants"; fail=1; }
[[ "$(list 4 7 | grep -c '^  ')" == 4 ]] || { echo "the limit was not kept"; fail=1; }
((fail == 0)) && echo "mutants listing: ok"
exit $fail
