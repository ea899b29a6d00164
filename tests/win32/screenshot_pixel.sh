#!/usr/bin/env bash
# A window painted under Wine reaches the X screen: take a screenshot of the
# whole (virtual) screen and read the colour inside and outside the window.
#   screenshot_pixel.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
set -euo pipefail
src=$1 build=$2
[[ -n "${DISPLAY:-}" ]] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 1; }
work=$(mktemp -d "$build/screenshot.XXXXXX")
probe=""
trap 'kill "$probe" 2>/dev/null || true; rm -rf "$work"' EXIT
"$src/scripts/wine-prefix.sh" "$build"
source "$src/scripts/wine-env.sh" "$build"
ready_windows="Z:${work//\//\\}\\ready" # Wine maps / to drive Z:
$WINE "$build/bin/paint_probe.exe" "$ready_windows" &
probe=$!
for _ in $(seq 200); do [[ -f "$work/ready" ]] && break; sleep 0.1; done
[[ -f "$work/ready" ]] || { echo "probe window never painted" >&2; exit 1; }

pixel() { convert "$work/shot.png" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" -crop "1x1+$1+$2" info:; }
inside=""
for _ in $(seq 50); do # the X server may show the window a moment after the paint
  import -window root "$work/shot.png"
  inside=$(pixel 200 175)
  [[ "$inside" == "32,128,224" ]] && break
  sleep 0.1
done
cp "$work/shot.png" "$build/screenshot_pixel.png"
outside=$(pixel 20 20)
echo "inside=$inside outside=$outside (screenshot: $build/screenshot_pixel.png)"
[[ "$inside" == "32,128,224" ]] || { echo "window colour not on screen" >&2; exit 1; }
[[ "$outside" != "32,128,224" ]] || { echo "colour outside the window" >&2; exit 1; }
