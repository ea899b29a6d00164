#!/usr/bin/env bash
# Movaro.exe shows its main window (class "Movaro", its skin's caption bar),
# and a second start finds it, hands over and ends at once, leaving one window.
#   movaro_single_instance.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
set -euo pipefail
src=$1 build=$2
[[ -n "${DISPLAY:-}" ]] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 1; }
work=$(mktemp -d "$build/single.XXXXXX")
first=""
cleanup() {
  [[ -n "$first" ]] && kill "$first" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
"$src/scripts/wine-prefix.sh" "$build"
source "$src/scripts/wine-env.sh" "$build"

$WINE "$build/bin/Movaro.exe" &
first=$!
window=""
# The main window among the program's windows (the intro window comes first).
main_windows() {
  local w
  for w in $(xdotool search --onlyvisible --class . 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 640x445' && echo "$w"
  done
}
for _ in $(seq 150); do
  window=$(main_windows | head -1) && [[ -n "$window" ]] && break
  sleep 0.2
done
[[ -n "$window" ]] || { echo "no Movaro window" >&2; exit 1; }

# The skin's caption bar inside the window, once it is painted.
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT
inside=""
for _ in $(seq 50); do
  import -window root "$work/shot.png"
  inside=$(convert "$work/shot.png" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" \
           -crop "1x1+$((X + 20))+$((Y + 5))" info:)
  [[ "$inside" == "74,42,56" ]] && break
  sleep 0.1
done
cp "$work/shot.png" "$build/movaro_main_window.png"
echo "window $WIDTH x $HEIGHT at $X,$Y; colour inside: $inside (screenshot: $build/movaro_main_window.png)"
[[ "$WIDTH" -eq 640 && "$HEIGHT" -eq 445 ]] || { echo "main window not 640 x 445" >&2; exit 1; }
[[ "$inside" == "74,42,56" ]] || { echo "main window not painted with its skin" >&2; exit 1; }

# A second start ends at once with success and makes no second window.
status=0
timeout 30 "$WINE" "$build/bin/Movaro.exe" || status=$?
[[ "$status" -eq 0 ]] || { echo "second start ended with $status" >&2; exit 1; }
count=$(main_windows | wc -l)
[[ "$count" -eq 1 ]] || { echo "$count Movaro windows after the second start" >&2; exit 1; }
kill -0 "$first" || { echo "the first Movaro ended" >&2; exit 1; }
echo "second start handed over"

# Ended from outside while Quit asks (a start with "uninstall" closes the
# running program, as the uninstaller does): the question ends as cancelled,
# then the program ends. The prefix must hold no uninstall entry, or the
# start would run the uninstaller too.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Movaro'
if $WINE reg query "$uninstall_key" >/dev/null 2>&1; then
  echo "an installed Movaro's uninstall entry in this prefix: the close from outside is not tried"
  exit 0
fi
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 60)) $((Y + 397)) click 1
source "$src/tests/support/installed-movaro.sh"
box=$(wait_window '[[ $FOUND_WIDTH -eq 402 && $FOUND_HEIGHT -eq 152 ]]' 100)
[[ -n "$box" ]] || { echo "Quit did not ask" >&2; exit 1; }
timeout 30 "$WINE" "$build/bin/Movaro.exe" uninstall || true
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$first" 2>/dev/null; then
  echo "Movaro did not end when closed from outside while its Quit question was open" >&2
  exit 1
fi
first=""
echo "closed from outside with the Quit question open: ended"
