#!/usr/bin/env bash
# The main job: install what is missing, build, assemble dist/ and run the
# product under Wine: on $DISPLAY when there is one, else under a virtual X
# server with a screenshot saved as dist/demo.png.
#
# The setup program does not exist yet, so this starts Movaro.exe from dist/,
# laid out as an installation: the program with its hook library, language,
# information, rule and content files and the sounds. The screenshot shows
# its main window.
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
cp build/host/content/{Movaro.lng,Kestrup.lng,Kestrup.inf,MVRInfo.dat,MVRMsgs.dat} dist/
for optional in movaro.dat Readme.txt; do
  [[ -f build/host/content/$optional ]] && cp build/host/content/$optional dist/
done
[[ -d build/host/content/Av ]] && cp -r build/host/content/Av dist/
echo "demo: dist/ holds $(ls dist | tr '\n' ' ')"

program=dist/Movaro.exe
if [[ "$runtree" != win32 ]]; then
  # The 64-bit build runs from a copy of dist/ with its own programs.
  rm -rf "build/$runtree/dist" && cp -r dist "build/$runtree/dist"
  cp build/$runtree/bin/{Movaro.exe,Movaro.dll} "build/$runtree/dist/"
  program="build/$runtree/dist/Movaro.exe"
fi
run() {
  scripts/wine-prefix.sh "build/$runtree"
  source scripts/wine-env.sh "build/$runtree"
  (cd "$(dirname "$program")" && exec "$WINE" "$(basename "$program")") &
  local pid=$!
  if [[ "${MOVARO_DEMO_SCREENSHOT:-}" == 1 ]]; then
    for _ in $(seq 150); do
      xdotool search --onlyvisible --name '^Movaro 3.0 release 2$' >/dev/null 2>&1 && break
      sleep 0.2
    done
    sleep 1
    import -window root dist/demo.png
    echo "demo: screenshot saved as dist/demo.png"
    wineserver -k
  else
    echo "demo: Movaro is running; Quit ends it (Insert hides it to the tray)"
    wait "$pid" || true
  fi
}
run
