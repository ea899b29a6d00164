#!/usr/bin/env bash
# The control kit's window test on a screen of 8 bits per pixel: painting
# must realise the kit's 256-colour palette. Runs the test on an X server of
# its own with that depth; its screenshot is kept as control_kit_8.bmp.
#   kit_8bit_screen.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
"$src/scripts/wine-prefix.sh" "$build"
source "$src/scripts/wine-env.sh" "$build"
# Wine's processes share one server per prefix; a server started for another
# X display would keep that display's depth.
wineserver -w
cd "$build"
exec xvfb-run -a -s "-screen 0 1024x768x8" \
  $WINE "$build/bin/win32_tests.exe" --gtest_filter='ControlKitWindow.BackgroundButtonsAndSpinnerOnScreen'
