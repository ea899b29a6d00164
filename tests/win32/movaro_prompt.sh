#!/usr/bin/env bash
# Movaro.exe monitors and prompts: started from an installed-like folder with
# a rule file whose rule fires every minute, hidden to the tray while the user
# types into another window, it shows a prompt in the upper right corner of
# the screen while the tray icon blinks; Escape takes the prompt away, and
# Enter the next one. Back on screen, the setup page
# stores a click on a check box in the profile file at once: the user's file
# in the application data folder, which the first start took over from an
# earlier release's file in the Windows folder (left as it was).
#   movaro_prompt.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
# Screenshots are kept as BUILD_DIR/movaro_{status_page,prompt,setup_page}.png.
set -euo pipefail
src=$1 build=$2
source "$src/tests/support/installed-movaro.sh"
typer=""
stop_extra() { [[ -z "$typer" ]] || stop_typer; }
begin_movaro_test "$src" "$build" prompt
app="$work/Movaro"
install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat Av
# A rule of every minute, half a minute after the short break's minute, so
# each prompt comes on its own.
cat >"$app/MVRMsgs.dat" <<'RULES'
[Contents]
Every Minute

[Every Minute]
Kind=msrtInformation
StatusLstLbl=Every Minute
TraceMsgStats.Kind=ttTime
TraceMsgStats.TracePeriod=0:01:00
TraceMsgStats.TracePeriodRef=(0,0:00:30)
TraceMsgStats.Conditions[0]=(0,0:00:01)
TraceMsgStats.MsgTimeout=0:00:50
MsgText=Stand up, roll your shoulders and look out of the window for a moment.
RULES
# No profile file of the user yet, and an earlier release's in the Windows folder.
ini=$(movaro_profile_file)
rm -f "$ini"
old_ini="$WINEPREFIX/drive_c/windows/movaro.ini"
old_profile=$'[Earlier.Data]\r\nt0010001=2>45000\r\n'
printf '%s' "$old_profile" >"$old_ini"

read -r screen_w screen_h < <(xdotool getdisplaygeometry)
main_test=$MOVARO_MAIN_TEST
# The prompt: 30 pixels from the top and the right edge of the screen.
prompt_test='[[ $FOUND_Y -ge 28 && $FOUND_Y -le 32 && $((FOUND_X + FOUND_WIDTH)) -ge $((screen_w - 32)) && $((FOUND_X + FOUND_WIDTH)) -le $((screen_w - 28)) && $FOUND_WIDTH -lt 400 ]]'
shot() { import -window root "$build/movaro_$1.png"; echo "screenshot: $build/movaro_$1.png"; }

# The user types into another window (a probe, restarted as it ends), which
# the hook library reports to Movaro.
start_typer() {
  (
    while true; do
      ready="$work/probe-ready.$RANDOM"
      "$WINE" "$build/bin/paint_probe.exe" "$(windows_path "$ready")" &
      probe=$!
      echo "$probe" >"$work/probe.pid"
      for _ in $(seq 100); do [[ -e "$ready" ]] && break; sleep 0.1; done
      while kill -0 "$probe" 2>/dev/null; do
        w=$(xdotool search --name "Paint probe" 2>/dev/null | head -1)
        [[ -n "$w" ]] && xdotool windowfocus "$w" key a 2>/dev/null || true
        sleep 1
      done
    done
  ) &
  typer=$!
}
stop_typer() {
  kill "$typer" 2>/dev/null || true
  typer=""
  kill "$(cat "$work/probe.pid" 2>/dev/null)" 2>/dev/null || true
}
# A prompt on screen, its X window (or empty) after up to TENTHS.
wait_prompt() { wait_window "$prompt_test" "$1"; }
# Answers the prompt with KEY once the user has activated it by a click on
# its header; true when it left the screen.
answer_prompt() { # WINDOW KEY
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + 100)) $((Y + 20)) click 1
  sleep 0.5
  xdotool key "$2"
  for _ in $(seq 50); do
    [[ -n "$(window_where "$prompt_test")" ]] || return 0
    sleep 0.1
  done
  return 1
}

(cd "$app" && exec "$WINE" "$app/Movaro.exe") &
pid=$!
main=$(wait_window "$main_test" 300)
[[ -n "$main" ]] || { echo "no main window" >&2; exit 1; }
sleep 2
shot status_page

# Hidden to the tray while the user types on.
xdotool windowfocus --sync "$main" key Insert
for _ in $(seq 50); do
  [[ -n "$(window_where "$main_test")" ]] || break
  sleep 0.1
done
[[ -z "$(window_where "$main_test")" ]] || { echo "Insert did not hide the window" >&2; exit 1; }
start_typer

prompt=$(wait_prompt 1500)
[[ -n "$prompt" ]] || { stop_typer; echo "no prompt in the upper right corner within 150 s" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$prompt")"
echo "prompt at $X,$Y, $WIDTH x $HEIGHT on a $screen_w x $screen_h screen"
sleep 1
shot prompt

# While the prompt counts down, the tray icon alternates between the
# program's icon and the prompt kind's.
tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -1)
[[ -n "$tray" ]] || { stop_typer; echo "no tray window" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$tray" | sed 's/^/TRAY_/')"
icons=$(for _ in 1 2 3 4 5; do
  import -window root png:- | convert - -crop "20x20+$TRAY_X+$TRAY_Y" -scale 1x1 -depth 4 txt:- |
    tail -1 | awk '{print $3}'
  sleep 0.6
done | sort -u | wc -l)
[[ $icons -ge 2 ]] || { stop_typer; echo "the tray icon did not alternate" >&2; exit 1; }
echo "the tray icon alternated ($icons pictures)"

# Escape, then on the next prompt Enter, each take the prompt away.
# (The typer pauses meanwhile: it would take the focus back.)
stop_typer
answer_prompt "$prompt" Escape || { echo "Escape left the prompt on screen" >&2; exit 1; }
echo "Escape took the prompt away"
start_typer
prompt=$(wait_prompt 1500)
stop_typer
[[ -n "$prompt" ]] || { echo "no second prompt within 150 s" >&2; exit 1; }
answer_prompt "$prompt" Return || { echo "Enter left the prompt on screen" >&2; exit 1; }
echo "Enter took the prompt away"

# Back from the tray, the setup page: a click on "Block input" of the short
# break is in the profile file at once.
xdotool mousemove $((TRAY_X + 8)) $((TRAY_Y + 8)) click 1
main=$(wait_window "$main_test" 300)
[[ -n "$main" ]] || { echo "the tray icon did not restore the window" >&2; exit 1; }
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 60)) $((Y + 257)) click 1 # Setup
sleep 1
xdotool mousemove $((X + 125 + 306 + 6)) $((Y + 80 + 135 + 7)) click 1 # short break: Block input
sleep 1
shot setup_page
grep -q '^ConfigShortPauseBlock=1' "$ini" 2>/dev/null ||
  { echo "the setup change is not in the profile file:"; cat "$ini" 2>/dev/null; exit 1; } >&2
echo "the setup page stored ConfigShortPauseBlock=1"
grep -q '^\[Earlier.Data\]' "$ini" ||
  { echo "the earlier release's profile was not taken over:"; cat "$ini"; exit 1; } >&2
cmp -s <(printf '%s' "$old_profile") "$old_ini" ||
  { echo "the earlier release's profile file changed:"; cat "$old_ini"; exit 1; } >&2
echo "the earlier release's profile was taken over and left in the Windows folder"
