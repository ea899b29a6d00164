#!/usr/bin/env bash
# MVRClient.dll under Wine against the real profile server on 127.0.0.1: for
# each suite the server of the host tree is started on a free port with a new
# SQLite file, the suite's tests of win32_tests.exe run against it, and the
# server is stopped when a test asks for it (a file "stop" in a control
# folder, answered by "stopped").
#   ProfileServerSession  the client library's four entry points
#   ProfileServerDialog   the network dialog and the profile on top of them
#   ProfileServerTls      the client library over HTTPS, a self-signed
#                         certificate made here, its fingerprint pinned
#   ProfileServerEnrolment  the client library sending enrolment codes to a
#                         server without first-use trust (two codes made here)
#   ProfileServerEnrolmentDialog  the network dialog's first login there, in
#                         English and in German (the host tree's Movaro.lng)
#   profile_server_session.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
server=${MOVARO_PROFILE_SERVER:-$src/build/host/bin/profile_server}
[[ -x "$server" ]] || { echo "no $server: build the host tree first (scripts/build.sh host)" >&2; exit 1; }
work="" pid="" watcher=""
stop_server() {
  [[ -n "$watcher" ]] && kill "$watcher" 2>/dev/null || true
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
  [[ -n "$work" ]] && rm -rf "$work"
  work="" pid="" watcher=""
}
trap stop_server EXIT
"$src/scripts/wine-prefix.sh" "$build"
source "$src/scripts/wine-env.sh" "$build"

# run_suite SUITE TESTS [REQUESTS]: the suite against a server of its own;
# fails unless all TESTS of it passed. With REQUESTS the server speaks HTTPS
# and must have logged exactly that many requests. ENROL=USER: the server
# trusts no first use, and two codes for USER are made before it starts.
run_suite() {
  local suite=$1 count=$2 requests=${3:-} port="" rc pin="" tls=() trust=(--trust-first-use) codes=""
  work=$(mktemp -d "$build/profileserver.XXXXXX")
  if [[ -n "${ENROL:-}" ]]; then
    trust=()
    for _ in 1 2; do
      codes+="${codes:+ }$("$server" enrol "$ENROL" --database "$work/profiles.db" | sed -n 's/.*: \([A-Z0-9]\{5\}-[A-Z0-9]\{5\}\) .*/\1/p')"
    done
  fi
  if [[ -n "$requests" ]]; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
      -keyout "$work/server.key" -out "$work/server.crt" 2>/dev/null
    pin=$(openssl x509 -in "$work/server.crt" -noout -fingerprint -sha256 | sed 's/.*=//')
    tls=(--cert "$work/server.crt" --key "$work/server.key")
  fi
  "$server" serve "${trust[@]}" --listen 127.0.0.1:0 --database "$work/profiles.db" "${tls[@]}" >"$work/out" 2>"$work/log" &
  pid=$!
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/out")
    [[ -n "$port" ]] && break
    sleep 0.1
  done
  [[ -n "$port" ]] || { echo "the profile server did not start:" >&2; cat "$work/log" >&2; return 1; }

  mkdir "$work/control"
  (
    while [[ ! -e "$work/control/stop" ]]; do sleep 0.1; done
    kill "$pid"
    while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    touch "$work/control/stopped"
  ) &
  watcher=$!

  set +e
  MOVARO_PROFILE_SERVER_PORT=$port MOVARO_PROFILE_SERVER_PIN=$pin MOVARO_PROFILE_SERVER_CODES=$codes \
    MOVARO_LANGUAGE=${LANGUAGE:-} MOVARO_LANGUAGE_FILE=${LANGUAGE:+$(windows_path "$src/build/host/content/Movaro.lng")} MOVARO_PROFILE_SERVER_CONTROL=$(windows_path "$work/control") \
    $WINE "$build/bin/win32_tests.exe" --gtest_filter="$suite.*" 2>&1 | tee "$work/tests"
  rc=${PIPESTATUS[0]}
  set -e
  echo "--- server log ($suite)"
  cat "$work/log"
  if grep -q 'SKIPPED' "$work/tests"; then
    echo "a test was skipped: the server's port did not reach it" >&2
    rc=1
  fi
  grep -q "\[  PASSED  \] $count test" "$work/tests" || rc=1
  if [[ -n "$requests" ]] && [[ $(grep -c '^[^ ]* [^ ]* [^ ]* [0-9]\{3\} ' "$work/log") != "$requests" ]]; then
    echo "the server logged other than $requests requests over HTTPS" >&2
    rc=1
  fi
  stop_server
  return "$rc"
}

rc=0
run_suite ProfileServerSession 2 || rc=1
run_suite ProfileServerDialog 1 || rc=1
run_suite ProfileServerTls 1 3 || rc=1
ENROL="Wine Enrol" run_suite ProfileServerEnrolment 1 || rc=1
ENROL="Wine Dialog Enrol" run_suite ProfileServerEnrolmentDialog 1 || rc=1
ENROL="Wine Dialog Enrol" LANGUAGE=49 run_suite ProfileServerEnrolmentDialog 1 || rc=1
exit "$rc"
