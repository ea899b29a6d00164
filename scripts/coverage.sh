#!/usr/bin/env bash
# Line and branch coverage of the native tests: builds build/coverage with
# gcov instrumentation, runs the unit tests and the profile server's tests,
# prints the figures per floor of src/ and writes the report as HTML to
# build/coverage/html/index.html. Informative only: nothing here fails a run
# for its figures.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
scripts/install-deps.sh
scripts/build.sh coverage unit_tests server_tests
find build/coverage -name '*.gcda' -delete
(cd build/coverage && ./unit_tests --gtest_brief=1 >/dev/null) || echo "coverage: some unit tests failed; figures are of the run as it went"
(cd build/coverage && ./server_tests --gtest_brief=1 >/dev/null) || echo "coverage: some server tests failed; figures are of the run as it went"
mkdir -p build/coverage/html
# Branches the compiler adds for exceptions are no decisions of the code.
gcovr -r . --object-directory build/coverage --exclude-directories 'build/coverage/CMakeFiles/[0-9]' \
  --filter 'src/' --exclude-throw-branches \
  --json-summary build/coverage/summary.json --html-details build/coverage/html/index.html \
  >/dev/null
python3 - build/coverage/summary.json <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
floors = ["src/base", "src/platform", "src/data", "src/ui", "src/protocol", "src/movaro",
          "src/kestrup", "src/server", "src/sim", "src/authoring"]
print("%-14s %16s %18s" % ("floor", "lines", "branches"))
for floor in floors:
    mine = [f for f in files if f["filename"].startswith(floor + "/")]
    lines = sum(f["line_total"] for f in mine)
    covered = sum(f["line_covered"] for f in mine)
    branches = sum(f["branch_total"] for f in mine)
    taken = sum(f["branch_covered"] for f in mine)
    share = lambda a, b: "%5.1f %%" % (100.0 * a / b) if b else "    -  "
    print("%-14s %7s of %6d %7s of %7d" % (floor, share(covered, lines), lines, share(taken, branches), branches))
PY
echo "coverage: report in build/coverage/html/index.html"
