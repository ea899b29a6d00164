#!/usr/bin/env bash
# The whole test run: dependencies, every tree, host unit tests, the same tests
# under ASan+UBSan with a short fuzz run of every reader, and the Windows tests
# under Wine in one headless X server. Ends with one "N passed, N failed" line
# and fails when any test failed.
set -uo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
scripts/install-deps.sh || exit 1
mapfile -t choice < <(scripts/windows-test-tree.sh --why)
wintree=${choice[0]}
echo "=== Windows tests run from build/$wintree: ${choice[1]}"

trees=(host asan win32)
[[ "$wintree" == win64 ]] && trees+=(win64)
for tree in "${trees[@]}"; do
  echo "=== build $tree"
  scripts/build.sh "$tree" || { echo "build of $tree failed"; echo "tests: 0 passed, 1 failed"; exit 1; }
done

passed=0 failed=0 status=0
run_ctest() { # label, then the command
  local label=$1 log
  shift
  echo "=== test $label"
  log=$(mktemp)
  "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [[ -n "$line" ]]; then
    local f total
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - f)) failed=$((failed + f))
  elif ((rc != 0)); then
    failed=$((failed + 1))
  fi
  ((rc == 0)) || status=1
  rm -f "$log"
}

run_ctest host ctest --test-dir build/host --output-on-failure --timeout 600 -j2
run_ctest "asan+ubsan and fuzz" ctest --test-dir build/asan --output-on-failure --timeout 600 -j2
if [[ "$wintree" != win32 ]]; then
  # The shipped 32-bit programs are still checked statically.
  run_ctest "shipped 32-bit programs (static)" ctest --test-dir build/win32 --output-on-failure -L static
fi
scripts/wine-prefix.sh "build/$wintree" || status=1
run_ctest "windows ($wintree, Wine)" xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c "ctest --test-dir build/$wintree --output-on-failure --timeout 600; rc=\$?; source scripts/wine-env.sh build/$wintree; wineserver -k 2>/dev/null; exit \$rc"

echo "tests: $passed passed, $failed failed"
exit $status
