#!/usr/bin/env bash
# The main job: install what is missing, build, assemble the product's setup
# file and install it under Wine through the wizard: on $DISPLAY when there is
# one, else under a virtual X server. scripts/wizard-walk.sh clicks through the
# pages, keeps a screenshot of each in build/wizard-shots/ and lets the finish
# page start Movaro; its screenshot is dist/demo.png. On a prefix where the
# product is installed already, the wizard runs as a reinstall.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
scripts/install-deps.sh
if [[ -z "${DISPLAY:-}" ]]; then
  export MOVARO_DEMO_SCREENSHOT=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
# Only what the setup file and the wizard walk need: the content and the
# archiver natively, the shipped programs and the control probe for Windows.
# The tests are built by make test.
programs=(Movaro MovaroHook MVRClient Kestrup KestrupEx control_probe)
scripts/build.sh host content archiver
scripts/build.sh win32 "${programs[@]}"
runtree=$(scripts/windows-test-tree.sh)
if [[ "$runtree" != win32 ]]; then
  echo "demo: this kernel cannot execute 32-bit programs, which Wine 8 needs for the"
  echo "demo: 32-bit product; running the 64-bit build of the same sources instead."
  scripts/build.sh "$runtree" "${programs[@]}"
fi

scripts/build-setup.sh win32
[[ "$runtree" != win32 ]] && scripts/build-setup.sh "$runtree"
rm -rf dist && mkdir -p dist
cp build/win32/Setup.exe dist/
echo "demo: dist/ holds $(ls dist | tr '\n' ' ')"

setup="build/$runtree/Setup.exe"
[[ "$runtree" == win32 ]] && setup=dist/Setup.exe
scripts/wine-prefix.sh "build/$runtree"
if [[ "${MOVARO_DEMO_SCREENSHOT:-}" == 1 ]]; then
  scripts/wizard-walk.sh "build/$runtree" "$setup" build/wizard-shots
  cp build/wizard-shots/8-product.png dist/demo.png
  echo "demo: screenshot saved as dist/demo.png"
  source scripts/wine-env.sh "build/$runtree"
  wineserver -k
else
  source scripts/wine-env.sh "build/$runtree"
  echo "demo: the installer is running; it starts Movaro when it finishes"
  "$WINE" "$setup"
fi
