#!/usr/bin/env bash
# A throw-away PostgreSQL server for tests and benchmarks, on loopback only:
#   scripts/pg-scratch.sh start DIR   creates DIR (a new data folder), starts the
#                                     server on a free port of 127.0.0.1 and
#                                     prints its libpq connection string
#   scripts/pg-scratch.sh stop DIR    stops it (DIR stays for the caller to remove)
# initdb and pg_ctl refuse to run as root: as root, the server runs as the
# user "postgres" (or "nobody"), who then owns DIR, so DIR must lie in a
# folder that user may enter (such as /tmp). PG_SCRATCH_OPTIONS adds
# server options ("-c fsync=off ...").
set -euo pipefail
action=${1:?usage: pg-scratch.sh start|stop DIR}
dir=${2:?usage: pg-scratch.sh start|stop DIR}

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[[ -x "$bin/pg_ctl" ]] || { echo "pg-scratch: no PostgreSQL server installed (package postgresql)" >&2; exit 1; }

as_owner() {
  if [[ $(id -u) -eq 0 ]]; then
    local owner=postgres
    id -u "$owner" >/dev/null 2>&1 || owner=nobody
    runuser -u "$owner" -- "$@"
  else
    "$@"
  fi
}

case "$action" in
  start)
    mkdir -p "$dir"
    if [[ $(id -u) -eq 0 ]]; then
      owner=postgres
      id -u "$owner" >/dev/null 2>&1 || owner=nobody
      chown "$owner" "$dir"
    fi
    chmod 700 "$dir"
    as_owner test -x "$dir" || { echo "pg-scratch: $dir lies in a folder the server's user cannot enter" >&2; exit 1; }
    as_owner "$bin/initdb" -D "$dir/data" -A trust -U movaro -E UTF8 --locale=C --no-sync >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; exit 1; }
    # A port taken meanwhile makes the start fail: try a few.
    for try in 1 2 3 4 5; do
      port=$((20000 + RANDOM % 40000))
      if as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 120 \
           -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories='' ${PG_SCRATCH_OPTIONS:-}" \
           start >/dev/null 2>&1; then
        echo "host=127.0.0.1 port=$port user=movaro dbname=postgres"
        exit 0
      fi
    done
    echo "pg-scratch: the server did not start:" >&2
    tail -n 20 "$dir/server.log" >&2 || true
    exit 1
    ;;
  stop)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: pg-scratch.sh start|stop DIR" >&2
    exit 2
    ;;
esac
