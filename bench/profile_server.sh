#!/usr/bin/env bash
# Load benchmark of the profile server on loopback: 50 clients with kept-open
# connections check profiles out and in for a while, first against SQLite,
# then against a scratch PostgreSQL server (scripts/pg-scratch.sh, default
# durability settings). Prints the rates, median and p99 latencies, and the
# machine's load before and after each run.
#   bench/profile_server.sh [SECONDS] [CLIENTS]          (after scripts/build.sh host)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
seconds=${1:-10} clients=${2:-50}
bin=build/host/bin
for program in profile_server profile_load; do
  [[ -x $bin/$program ]] || { echo "no $bin/$program: run scripts/build.sh host" >&2; exit 1; }
done
work=$(mktemp -d /tmp/movaro-bench.XXXXXX)
# PostgreSQL's own folder: its user must be able to enter it (pg-scratch.sh).
pgdir=$(mktemp -d /tmp/movaro-bench-pg.XXXXXX)
server=""
cleanup() {
  [[ -n "$server" ]] && kill "$server" 2>/dev/null || true
  scripts/pg-scratch.sh stop "$pgdir" 2>/dev/null || true
  rm -rf "$work" "$pgdir"
}
trap cleanup EXIT

run() { # label, database
  "$bin/profile_server" serve --trust-first-use --listen 127.0.0.1:0 --database "$2" >"$work/out" 2>/dev/null &
  server=$!
  local port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/out")
    [[ -n "$port" ]] && break
    sleep 0.1
  done
  [[ -n "$port" ]] || { echo "$1: the server did not start" >&2; exit 1; }
  echo "=== $1 (load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores)"
  "$bin/profile_load" --port "$port" --clients "$clients" --seconds "$seconds"
  echo "    load after: $(cut -d' ' -f1-3 /proc/loadavg)"
  kill "$server"
  wait "$server" 2>/dev/null || true
  server=""
}

run SQLite "sqlite:$work/profiles.db"
connection=$(scripts/pg-scratch.sh start "$pgdir")
run PostgreSQL "$connection"
