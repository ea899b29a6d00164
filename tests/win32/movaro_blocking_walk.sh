#!/usr/bin/env bash
# A blocked short break in Movaro.exe, as a user meets it: with the short
# break every 30 s and "Block input" set in the profile, the user types into
# another window until the break prompt comes with the blocking window over
# the whole screen. Keys and clicks then reach no other window: five leave the
# frozen screen with the notice in its middle only, the sixth input turns it
# dark red (60); the prompt's time-out takes both away and typing arrives
# again. The next blocked break starts with the red reached before, and
# Enter on its prompt ends it at once; the Messages button's menu then lists
# both breaks, choosing one shows its prompt again, and Enter answers it.
# The status page then exports the history (the save dialog, a CSV file a
# CSV reader reads back with today's row), and "Take a break now", from the
# tray menu and from the status page, shows the long break prompt with the
# blocking window the profile asks for.
# Every key waits for the state the program reports (a window shown, gone or
# active), so a step that does not work fails the walk instead of being
# tried again.
#   movaro_blocking_walk.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
# Screenshots are kept as
# BUILD_DIR/movaro_blocking_{appeared,first,red,again,message,export,tray_menu,break_now}.png.
set -euo pipefail
src=$1 build=$2
source "$src/tests/support/installed-movaro.sh"
probe=""
stop_extra() { [[ -z "$probe" ]] || kill "$probe" 2>/dev/null || true; }
begin_movaro_test "$src" "$build" blocking_walk
app="$work/Movaro"
install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat Av
ini=$(movaro_profile_file)
rm -f "$(dirname "$ini")"/*.history # the days of earlier runs
printf '[root.Data]\r\nConfigShortPause=30\r\nConfigShortPauseBlock=1\r\nConfigLongPauseBlock=1\r\n' >"$ini"

read -r screen_w screen_h < <(xdotool getdisplaygeometry)
blocking_test="[[ \$FOUND_X -eq 0 && \$FOUND_Y -eq 0 && \$FOUND_WIDTH -eq $screen_w && \$FOUND_HEIGHT -eq $screen_h ]]"
prompt_test='[[ $FOUND_Y -ge 28 && $FOUND_Y -le 32 && $((FOUND_X + FOUND_WIDTH)) -ge $((screen_w - 32)) && $((FOUND_X + FOUND_WIDTH)) -le $((screen_w - 28)) && $FOUND_WIDTH -lt 400 ]]'
shot() { import -window root "$build/movaro_blocking_$1.png"; echo "screenshot: $build/movaro_blocking_$1.png"; }
# The red of the screen far from the prompt and the key probe.
red_at_corner() {
  import -window root png:- | convert - -crop 1x1+40+$((screen_h - 40)) -format "%[fx:int(255*r)]" info:
}
typed() { stat -c %s "$work/keys.txt"; }

# The other window the user types into.
"$WINE" "$build/bin/key_probe.exe" "$(windows_path "$work/keys.txt")" &
probe=$!
key_probe=""
for _ in $(seq 100); do
  key_probe=$(xdotool search --onlyvisible --name "Key probe" 2>/dev/null | head -1 || true)
  [[ -n "$key_probe" && -e "$work/keys.txt" ]] && break
  sleep 0.1
done
[[ -n "$key_probe" ]] || { echo "no key probe window" >&2; exit 1; }
# Types a key into the probe every second or so until a window passes TEST
# (up to TENTHS); a click on the probe first makes it the window keys go to.
# The window is mostly found between keys, before one reaches it.
type_until() { # TEST TENTHS
  local found="" start=$SECONDS
  xdotool mousemove 200 175 click 1
  while [[ $((SECONDS - start)) -lt $(($2 / 10)) ]]; do
    xdotool key a
    for _ in 1 2 3 4 5; do
      found=$(window_where "$1")
      [[ -n "$found" ]] && break 2
      sleep 0.1
    done
  done
  echo "$found"
}

(cd "$app" && exec "$WINE" "$app/Movaro.exe") &
pid=$!
main=$(wait_window "$MOVARO_MAIN_TEST" 600)
[[ -n "$main" ]] || { echo "no main window" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$main" key Insert # to the tray: prompts may come
sleep 0.5

tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -1)
[[ -n "$tray" ]] || { echo "no tray window" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$tray" | sed 's/^/TRAY_/')"
blocking=$(type_until "$blocking_test" 1500)
[[ -n "$blocking" ]] || { echo "no blocking window within 150 s of typing" >&2; exit 1; }
# Its notice is drawn in the middle only: the frozen tray window at the top
# left (white right of its icon) shows no dark trace of it.
shot appeared
dark=$(convert "$build/movaro_blocking_appeared.png" -crop "$((TRAY_WIDTH - 30))x$((TRAY_HEIGHT - 4))+$((TRAY_X + 26))+$((TRAY_Y + 2))" \
       +repage -colorspace gray -threshold 50% -negate -format "%[fx:int(mean*w*h+0.5)]" info:)
[[ $dark -eq 0 ]] || { echo "$dark dark pixels over the frozen tray window: the notice drawn out of place" >&2; exit 1; }
# A click on it (its first input) gives it the keyboard, which the slow
# typing left with the key probe.
xdotool mousemove $((screen_w / 2)) $((screen_h - 100)) click 1
prompt=$(wait_window "$prompt_test" 20)
[[ -n "$prompt" ]] || { echo "the blocking window came without the break prompt" >&2; exit 1; }
before=$(typed)
[[ $before -gt 0 ]] || { echo "the typing never reached the key probe" >&2; exit 1; }
# Keys one by one: the screen stays as it was, then from the sixth input on
# it is red, 10 more for each input. (The typing may have given the window an
# input as it came, and a busy machine may paint one key late.) The click
# above was the first input; the break lasts 10 s: three keys at once, then
# one at a time.
xdotool key b b b
presses=3
sleep 0.2
shot first
red=$(convert "$build/movaro_blocking_first.png" -crop 1x1+40+$((screen_h - 40)) -format "%[fx:int(255*r)]" info:)
[[ $red -eq 0 ]] || { echo "the click and three keys turned the screen red ($red)" >&2; exit 1; }
while [[ $red -eq 0 && $presses -lt 7 ]]; do
  xdotool key b
  presses=$((presses + 1))
  for _ in $(seq 8); do
    red=$(red_at_corner)
    [[ $red -ne 0 ]] && break
    sleep 0.1
  done
done
[[ $red -ne 0 || -n "$(window_where "$blocking_test")" ]] ||
  { echo "the break ended before the keys were typed" >&2; exit 1; }
[[ $red -eq 60 || $red -eq 70 ]] ||
  { echo "after $presses keys the screen shows red $red: not red from the sixth input on" >&2; exit 1; }
expected=$((red + 10))
xdotool mousemove 150 150 click 1 # on the key probe, under the blocking window
for _ in $(seq 20); do
  red=$(red_at_corner)
  [[ $red -eq $expected ]] && break
  sleep 0.1
done
shot red
[[ $red -eq $expected ]] || { echo "the click gave red $red, not $expected" >&2; exit 1; }
[[ $(typed) -eq $before ]] || { echo "keys reached the other window while blocked" >&2; exit 1; }
echo "$presses keys and a click swallowed, the screen red $red"

# The break goes with the prompt's time-out, taking the blocking window with
# it; typing arrives again.
for _ in $(seq 250); do
  [[ -z "$(window_where "$blocking_test")" ]] && break
  sleep 0.1
done
[[ -z "$(window_where "$blocking_test")" ]] || { echo "the blocking window outlived the break" >&2; exit 1; }
[[ -z "$(window_where "$prompt_test")" ]] || { echo "the prompt outlived the break" >&2; exit 1; }
xdotool mousemove 200 175 click 1 key z
sleep 0.3
grep -q z "$work/keys.txt" || { echo "typing does not arrive after the break" >&2; exit 1; }
echo "the first break ended with its time-out; typing arrives again"

# Answers a prompt as a user does: a click on its header, then, once the
# system reports it the window the keys go to, one Enter. Prints how many
# tenths of a second after the Enter it was gone (nothing if it stayed 5 s).
now_tenths() { echo $(( $(date +%s%N) / 100000000 )); }
foreground() {
  "$WINE" "$build/bin/control_probe.exe" "$(windows_path "$work/foreground.txt")" - foreground >/dev/null 2>&1 &&
    tr -d '\r' <"$work/foreground.txt"
}
answer_prompt() { # WINDOW
  local active="" fx fy start
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + 100)) $((Y + 20)) click 1
  for _ in $(seq 40); do
    read -r _ fx fy _ <<<"$(foreground)"
    [[ "$fx" == "$X" && "$fy" == "$Y" ]] && { active=1; break; }
    sleep 0.1
  done
  [[ -n "$active" ]] || { echo "the click on its header did not make the prompt the active window ($(foreground))" >&2; return 1; }
  start=$(now_tenths)
  xdotool key Return
  for _ in $(seq 50); do
    [[ -z "$(window_where "$prompt_test")" ]] && { echo $(($(now_tenths) - start)); return 0; }
    sleep 0.1
  done
}

# The next blocked break starts as red as the last one ended; Enter answers
# its prompt and takes the blocking window away with it, long before the
# break's 10 s would have (so it is the answer that ended it, not the time).
blocking=$(type_until "$blocking_test" 600)
appeared=$(now_tenths)
[[ -n "$blocking" ]] || { echo "no second blocking window within 60 s of typing" >&2; exit 1; }
for _ in $(seq 20); do
  red=$(red_at_corner)
  [[ $red -ge $expected ]] && break
  sleep 0.1
done
shot again
# (The typing may have given it one more input as it came.)
[[ $red -eq $expected || $red -eq $((expected + 10)) ]] ||
  { echo "the second blocking window starts with red $red, not $expected" >&2; exit 1; }
prompt=$(wait_window "$prompt_test" 20)
[[ -n "$prompt" ]] || { echo "the second blocking window came without the break prompt" >&2; exit 1; }
gone=$(answer_prompt "$prompt")
[[ -n "$gone" ]] || { echo "Enter on the active prompt of a blocked break left it on screen" >&2; exit 1; }
(( $(now_tenths) - appeared < 90 )) ||
  { echo "the prompt went $(( ($(now_tenths) - appeared) / 10 )) s after it came: too late to tell the answer from the time-out" >&2; exit 1; }
for _ in $(seq 20); do [[ -z "$(window_where "$blocking_test")" ]] && break; sleep 0.1; done
[[ -z "$(window_where "$blocking_test")" ]] || { echo "the blocking window outlived the answered prompt by 2 s" >&2; exit 1; }
echo "Enter answered the second break's prompt (gone $gone tenths after it) and ended the block"

# Back from the tray, the Messages menu lists both breaks; choosing one shows
# its prompt again, without blocking. (The main window is minimized too, but
# Wine without a window manager leaves a minimized window's X window on
# screen, so that is not looked at here.)
xdotool mousemove $((TRAY_X + 8)) $((TRAY_Y + 8)) click 1
main=$(wait_window "$MOVARO_MAIN_TEST" 300)
[[ -n "$main" ]] || { echo "the tray icon did not restore the window" >&2; exit 1; }
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 60)) $((Y + 222)) click 1
menu=$(menu_below $((X + 5)) $((Y + 242)))
[[ -n "$menu" ]] || { echo "the Messages button opened no menu" >&2; exit 1; }
entries=$(menu_items "$menu")
[[ $entries -ge 2 ]] || { echo "the Messages menu lists $entries entries, not the two breaks" >&2; exit 1; }
menu_click "$menu" 0
prompt=$(wait_window "$prompt_test" 50)
[[ -n "$prompt" ]] || { echo "choosing a message showed no prompt" >&2; exit 1; }
sleep 0.5
shot message
[[ -z "$(window_where "$blocking_test")" ]] || { echo "a message shown again blocks input" >&2; exit 1; }
echo "the Messages menu listed $entries entries and showed the break again"
# A message shown again has no time-out: only the answer takes it away.
[[ -n "$(answer_prompt "$prompt")" ]] || { echo "Enter left the message shown again on screen" >&2; exit 1; }
echo "Enter answered the message shown again"

# The status page exports the history: the save dialog takes a file name, and
# the file holds the header and today's row, which a CSV reader reads back.
xdotool windowfocus --sync "$main" key alt+s
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 125 + 195 + 80)) $((Y + 80 + 305 + 12)) click 1 # Export history...
save=""
for _ in $(seq 50); do
  save=$(xdotool search --onlyvisible --name "Export the history" 2>/dev/null | head -1 || true)
  [[ -n "$save" ]] && break
  sleep 0.1
done
[[ -n "$save" ]] || { echo "the export button opened no save dialog" >&2; exit 1; }
sleep 0.5
shot export
xdotool windowfocus --sync "$save" type --delay 20 "$(windows_path "$work/days.csv")"
xdotool key Return
for _ in $(seq 50); do [[ -s "$work/days.csv" ]] && break; sleep 0.1; done
[[ -s "$work/days.csv" ]] || { echo "the export wrote no file" >&2; exit 1; }
python3 - "$work/days.csv" "$(date +%Y-%m-%d)" <<'PY' || { echo "the exported file:" >&2; cat "$work/days.csv" >&2; exit 1; }
import csv, sys
with open(sys.argv[1], newline="", encoding="cp1252") as f:
    rows = list(csv.reader(f))
assert rows[0][0] == "Date" and rows[0][9] == "Short break prompts", rows[0]
assert len(rows) == 2 and all(len(r) == 25 for r in rows), rows
day = rows[1]
assert day[0] == sys.argv[2], day
assert int(day[9]) >= 2 and int(day[12]) >= 2, day  # the two blocked short breaks
print("the export holds", len(rows) - 1, "day:", ",".join(day[:13]))
PY

# "Take a break now" from the tray menu: the long break prompt at once, with
# the blocking window as the profile asks; Enter ends it. Then the same from
# the status page's button, which sends the window back to the tray first.
xdotool windowfocus --sync "$main" key Insert
for _ in $(seq 50); do [[ -z "$(window_where "$MOVARO_MAIN_TEST")" ]] && break; sleep 0.1; done
[[ -z "$(window_where "$MOVARO_MAIN_TEST")" ]] || { echo "Insert did not send the window to the tray" >&2; exit 1; }
xdotool mousemove $((TRAY_X + 8)) $((TRAY_Y + 8)) click 3
# The menu opens at the pointer, a window of two items.
menu=$(wait_window "[[ \$FOUND_X -ge $TRAY_X && \$FOUND_X -le $((TRAY_X + 12)) && \$FOUND_Y -ge $TRAY_Y && \$FOUND_Y -le $((TRAY_Y + 12)) && \$FOUND_HEIGHT -gt 30 && \$FOUND_HEIGHT -lt 100 ]]" 30)
shot tray_menu
[[ -n "$menu" ]] || { echo "a right click on the tray icon opened no menu" >&2; xdotool search --onlyvisible --class . getwindowgeometry %@ >&2; exit 1; }
[[ $(menu_items "$menu") -eq 2 ]] || { echo "the tray menu holds $(menu_items "$menu") items, not 2" >&2; exit 1; }
menu_click "$menu" 1
blocking=$(wait_window "$blocking_test" 50)
prompt=$(wait_window "$prompt_test" 20)
[[ -n "$blocking" && -n "$prompt" ]] ||
  { echo "Take a break now showed no prompt (${prompt:-none}) or no blocking window (${blocking:-none})" >&2; exit 1; }
sleep 0.5
shot break_now
[[ -n "$(answer_prompt "$prompt")" ]] || { echo "Enter left the long break prompt on screen" >&2; exit 1; }
for _ in $(seq 20); do [[ -z "$(window_where "$blocking_test")" ]] && break; sleep 0.1; done
[[ -z "$(window_where "$blocking_test")" ]] || { echo "the blocking window outlived the long break's prompt" >&2; exit 1; }
echo "the tray menu's Take a break now showed the long break prompt with the blocking window"

xdotool mousemove $((TRAY_X + 8)) $((TRAY_Y + 8)) click 1
main=$(wait_window "$MOVARO_MAIN_TEST" 300)
[[ -n "$main" ]] || { echo "the tray icon did not restore the window" >&2; exit 1; }
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 125 + 20 + 80)) $((Y + 80 + 305 + 12)) click 1 # Take a break now
prompt=$(wait_window "$prompt_test" 50)
[[ -n "$prompt" ]] || { echo "the status page's Take a break now showed no prompt" >&2; exit 1; }
[[ -z "$(window_where "$MOVARO_MAIN_TEST")" ]] || { echo "the main window stayed on screen with the prompt" >&2; exit 1; }
[[ -n "$(answer_prompt "$prompt")" ]] || { echo "Enter left the long break prompt on screen" >&2; exit 1; }
echo "the status page's Take a break now sent the window to the tray and showed the prompt"
