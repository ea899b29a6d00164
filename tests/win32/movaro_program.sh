#!/usr/bin/env bash
# Movaro.exe as a user meets it, started from a folder laid out as installed:
# the skinned main window (screenshot), the tray icon, Insert hides to the
# tray and a click on the icon brings the window back, Quit asks, shows the
# farewell About box and ends with the extraction folder "T" removed.
#   movaro_program.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
# Screenshots are kept as BUILD_DIR/movaro_*.png.
set -euo pipefail
src=$1 build=$2
source "$src/tests/support/installed-movaro.sh"
begin_movaro_test "$src" "$build" program
app="$work/Movaro"
install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat MVRMsgs.dat
mkdir -p "$app/T"
echo "left over" >"$app/T/00000001.avi"

# Wine names the X windows of these borderless windows after the program, so
# they are told apart by their size.
sized_window() { # WIDTH HEIGHT: a visible window of that size, now
  local w
  for w in $(xdotool search --onlyvisible --class . 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed 's/^/FOUND_/')"
    if [[ "$FOUND_WIDTH" -eq $1 && "$FOUND_HEIGHT" -eq $2 ]]; then echo "$w"; return; fi
  done
}
find_window() { # WIDTH HEIGHT: waits up to 30 s for sized_window
  local found=""
  for _ in $(seq 150); do
    found=$(sized_window "$@") && [[ -n "$found" ]] && break
    sleep 0.2
  done
  echo "$found"
}
shot() { import -window root "$build/movaro_$1.png"; echo "screenshot: $build/movaro_$1.png"; }

(cd "$app" && exec "$WINE" "$app/Movaro.exe") &
pid=$!
intro=$(find_window 280 280)
[[ -n "$intro" ]] || { echo "no intro window at start-up" >&2; exit 1; }
import -window root "$build/movaro_intro.png"
main=$(find_window 640 445)
[[ -n "$main" ]] || { echo "no main window" >&2; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")" # X, Y, WIDTH, HEIGHT
[[ "$WIDTH" -eq 640 && "$HEIGHT" -eq 445 ]] || { echo "main window $WIDTH x $HEIGHT" >&2; exit 1; }
shot main_window
pixel() { convert "$build/movaro_main_window.png" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" -crop "1x1+$1+$2" info:; }
bar=$(pixel $((X + 20)) $((Y + 5)))
echo "caption bar colour: $bar"
[[ "$bar" == "74,42,56" ]] || { echo "the skin's caption bar is missing" >&2; exit 1; }

# Insert hides the window to the tray; a click on the tray icon restores it.
xdotool windowfocus --sync "$main" key Insert
for _ in $(seq 50); do
  [[ -n "$(sized_window 640 445)" ]] || break
  sleep 0.1
done
if [[ -n "$(sized_window 640 445)" ]]; then
  echo "Insert did not hide the window" >&2; exit 1
fi
echo "Insert hid the window"
tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -1)
[[ -n "$tray" ]] || { echo "no tray window" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$tray" | sed 's/^/TRAY_/')"
xdotool mousemove $((TRAY_X + 8)) $((TRAY_Y + 8)) click 1
main=$(find_window 640 445)
[[ -n "$main" ]] || { echo "the tray icon did not restore the window" >&2; exit 1; }
echo "the tray icon restored the window"

# Quit asks; Yes shows the About box for two seconds and ends the program.
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 60)) $((Y + 397)) click 1
box=$(find_window 402 152)
[[ -n "$box" ]] || { echo "Quit did not ask" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
sleep 0.5
shot quit_question
xdotool mousemove $((BOX_X + 200)) $((BOX_Y + 118)) click 1
about=$(find_window 325 325)
[[ -n "$about" ]] || { echo "no About box after Yes" >&2; exit 1; }
shot about_box
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then echo "Movaro did not end after Quit" >&2; exit 1; fi
pid=""
[[ ! -e "$app/T" ]] || { echo "the folder T is still there" >&2; exit 1; }
echo "Quit ended the program and removed T"

# On a display of 256 colours the "_256" skins are drawn with the palette.
wine_stop
export app build WINE
xvfb-run -a -s "-screen 0 1024x768x8" bash -c '
  (cd "$app" && exec "$WINE" "$app/Movaro.exe") &
  for _ in $(seq 150); do
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      xdotool getwindowgeometry "$w" | grep -q "640x445" && { main=$w; break 2; }
    done
    sleep 0.2
  done
  sleep 1
  # The window itself, with the colour map Wine gave it (a capture of the
  # root window reads the default map and shows grey noise).
  import -window "${main:-root}" "$build/movaro_main_window_8bit.png"
  wineserver -k' || { echo "no 8-bit run" >&2; exit 1; }
[[ -s "$build/movaro_main_window_8bit.png" ]] || { echo "no 8-bit screenshot" >&2; exit 1; }
echo "screenshot: $build/movaro_main_window_8bit.png"
