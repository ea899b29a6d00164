#!/usr/bin/env bash
# The main job: install what is missing, build, assemble dist/ and run the
# product under Wine: on $DISPLAY when there is one, else under a virtual X
# server with a screenshot saved as dist/demo.png.
#
# The setup program does not exist yet, so this starts Movaro.exe, which so far
# only shows its empty main window.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
scripts/install-deps.sh
if [[ -z "${DISPLAY:-}" ]]; then
  export MOVARO_DEMO_SCREENSHOT=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
scripts/build.sh host
scripts/build.sh win32
runtree=$(scripts/windows-test-tree.sh)
if [[ "$runtree" != win32 ]]; then
  echo "demo: this kernel cannot execute 32-bit programs, which Wine 8 needs for the"
  echo "demo: 32-bit product; running the 64-bit build of the same sources instead."
  scripts/build.sh "$runtree"
fi

rm -rf dist && mkdir -p dist
cp build/win32/bin/{Movaro.exe,Movaro.dll,MVRClient.dll,Kestrup.exe,KestrupEx.exe} dist/
cp build/host/content/{Movaro.lng,Kestrup.lng,Kestrup.inf} dist/
echo "demo: dist/ holds $(ls dist | tr '\n' ' ')"

program="build/$runtree/bin/Movaro.exe"
[[ "$runtree" == win32 ]] && program=dist/Movaro.exe
run() {
  scripts/wine-prefix.sh "build/$runtree"
  source scripts/wine-env.sh "build/$runtree"
  "$WINE" "$program" &
  local pid=$!
  if [[ "${MOVARO_DEMO_SCREENSHOT:-}" == 1 ]]; then
    for _ in $(seq 100); do
      xdotool search --name '^Movaro$' >/dev/null 2>&1 && break
      sleep 0.2
    done
    sleep 1
    import -window root dist/demo.png
    echo "demo: screenshot saved as dist/demo.png"
    wineserver -k
  else
    echo "demo: Movaro is running; close it with Alt+F4 or end this script"
    wait "$pid" || true
  fi
}
run
