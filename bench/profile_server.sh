#!/usr/bin/env bash
# Load benchmark of the profile server on loopback: 50 clients with kept-open
# connections check profiles out and in for a while, first against SQLite,
# then against a scratch PostgreSQL server (scripts/pg-scratch.sh, default
# durability settings), each with one server and then two servers on the
# same database (the clients dealt out over both). Prints the rates, median
# and p99 latencies, the load generator's own CPU time, and the machine's
# load before and after each run. With RATE, each run is followed by one in
# which the clients send RATE requests per second in all on a fixed schedule
# (profile_load --rate): the latency at that load rather than at saturation.
#   bench/profile_server.sh [SECONDS] [CLIENTS] [RATE]   (after scripts/build.sh host)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
seconds=${1:-10} clients=${2:-50} rate=${3:-}
bin=build/host/bin
for program in profile_server profile_load; do
  [[ -x $bin/$program ]] || { echo "no $bin/$program: run scripts/build.sh host" >&2; exit 1; }
done
work=$(mktemp -d /tmp/movaro-bench.XXXXXX)
# PostgreSQL's own folder: its user must be able to enter it (pg-scratch.sh).
pgdir=$(mktemp -d /tmp/movaro-bench-pg.XXXXXX)
cleanup() {
  stop_servers
  scripts/pg-scratch.sh stop "$pgdir" 2>/dev/null || true
  rm -rf "$work" "$pgdir"
}
trap cleanup EXIT

servers=() started=0
# start_server DATABASE: one more server on the database; its port in $port.
start_server() {
  # A file of its own: one reused could still name the port of the server
  # before it when read before the new one has emptied it.
  local out="$work/out.$((started++))"
  "$bin/profile_server" serve --trust-first-use --listen 127.0.0.1:0 --database "$1" >"$out" 2>/dev/null &
  servers+=($!)
  port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$out")
    [[ -n "$port" ]] && return 0
    sleep 0.1
  done
  echo "the server did not start" >&2
  exit 1
}
stop_servers() {
  local pid
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${servers[@]}"; do wait "$pid" 2>/dev/null || true; done
  servers=()
}

run() { # label, database, instances
  local ports="" i
  for ((i = 0; i < $3; i++)); do
    start_server "$2"
    ports+="${ports:+,}$port"
  done
  echo "=== $1, $3 server(s) (load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores)"
  "$bin/profile_load" --port "$ports" --clients "$clients" --seconds "$seconds"
  echo "    load after: $(cut -d' ' -f1-3 /proc/loadavg)"
  if [[ -n "$rate" ]]; then
    echo "--- the same at $rate requests per second"
    "$bin/profile_load" --port "$ports" --clients "$clients" --seconds "$seconds" --rate "$rate"
    echo "    load after: $(cut -d' ' -f1-3 /proc/loadavg)"
  fi
  stop_servers
}

run SQLite "sqlite:$work/profiles.db" 1
run SQLite "sqlite:$work/profiles2.db" 2
connection=$(scripts/pg-scratch.sh start "$pgdir")
run PostgreSQL "$connection" 1
run PostgreSQL "$connection" 2
