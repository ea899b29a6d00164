#!/usr/bin/env bash
# Mutation testing of the given sources against the host tree's tests:
#   scripts/mutants.sh FILE... [--limit N] [--seed S] [--since REV] [--list]
# Prints every mutant's outcome, the survivors as diffs and the kill rate.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
exec python3 scripts/mutants.py "$@"
