#!/usr/bin/env bash
# Movaro by keyboard alone, in English and German. On the setup page Tab
# leaves the short-break spinner without typing into it and goes on to its
# check box (Space ticks it), and only a length the user typed reaches the
# profile file. The About box closes on Escape and when the main window is
# clicked; after a restore from the tray the Alt shortcuts work without a
# click.
# The full-screen wait takes a typed length.
# The Quit question answers Escape, Tab then Enter (No), and Alt with the
# first letter of Yes, which ends the program.
# In English the pages come by their Alt keys first (status, background
# information, an exercise chosen from its menu, the setup page), and on
# each a screen reader's walk through the window (accessible_probe.exe)
# finds every control named and no two buttons or boxes of a window read
# alike; its lists are kept as
# BUILD_DIR/movaro_keys_en_PAGE.accessible.txt.
#   movaro_keyboard_walk.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
# The status page's history, from a history file seeded with 90 days (some
# missing): its view chosen by keys (Alt with the view label's letter, Down)
# shows the last 7 and the last 90 days; Tab reaches the chart, whose Left
# chooses the day before, which a screen reader then reads as its value.
# Screenshots: BUILD_DIR/movaro_keys_{en,de}_{setup,about,quit}.png,
# BUILD_DIR/movaro_keys_{en,de}_history{7,90,90_day}.png, and
# BUILD_DIR/movaro_keys_en_{status,info,exercise}.png.
set -euo pipefail
src=$1 build=$2
source "$src/tests/support/installed-movaro.sh"
begin_movaro_test "$src" "$build" keyboard_walk
[[ -s "$src/build/host/content/Movaro.lng" ]] || { echo "no Movaro.lng: build the host tree first" >&2; exit 1; }
ini=$(movaro_profile_file)
fail() {
  import -window root "$build/movaro_keys_${lang}_failed.png"
  echo "$lang: FAIL: $* (screen: $build/movaro_keys_${lang}_failed.png)" >&2
  exit 1
}
shot() { import -window root "$build/movaro_keys_${lang}_$1.png"; echo "screenshot: $build/movaro_keys_${lang}_$1.png"; }
control() { # ID: "ID X Y WIDTH HEIGHT VISIBLE ENABLED CHECKED TEXT" of a control of the main window
  rm -f "$work/probe.txt"
  "$WINE" "$build/bin/control_probe.exe" "$(windows_path "$work/probe.txt")" Movaro "$1" >/dev/null 2>&1 || true
  [[ ! -f "$work/probe.txt" ]] || tr -d "\r" <"$work/probe.txt"
}
field() { awk -v f="$2" '{ print $f }' <<<"$(control "$1")"; }
setting() { grep -a "^$1=" "$ini" 2>/dev/null | tail -1 | cut -d= -f2 | tr -d '\r' || true; }
wait_setting() { # KEY VALUE: up to 3 s
  for _ in $(seq 30); do [[ "$(setting "$1")" == "$2" ]] && return 0; sleep 0.1; done
  return 1
}
ABOUT='[[ $FOUND_WIDTH -eq 325 && $FOUND_HEIGHT -eq 325 ]]'
QUESTION='[[ $FOUND_WIDTH -eq 402 && $FOUND_HEIGHT -eq 152 ]]'
gone() { # TEST: the window of TEST disappears within 3 s
  for _ in $(seq 30); do [[ -z "$(window_where "$1")" ]] && return 0; sleep 0.1; done
  return 1
}

accessible() { # PAGE: the main window as a screen reader finds it, every control named
  local list="$build/movaro_keys_${lang}_$1.accessible.txt" rc=0
  "$WINE" "$build/bin/accessible_probe.exe" "$(windows_path "$work/access.txt")" Movaro >/dev/null 2>&1 || rc=$?
  tr -d '\r' <"$work/access.txt" >"$list" 2>/dev/null || true
  grep -q "push button | Setup" "$list" || fail "the $1 page: a screen reader finds no Setup button ($list)"
  [[ $rc == 0 ]] || fail "the $1 page: $(grep -c -E "UNNAMED|MISNAMED|SHARED" "$list") unnamed, misnamed or shared names ($list)"
  echo "$lang: $1 page: $(tail -1 "$list")"
}
# The pages by their Alt keys; a menu that comes with a page is closed by
# Escape, or chosen from by Enter.
pages_by_keyboard() { # MAIN-WINDOW
  xdotool windowfocus --sync "$1" key alt+s sleep 0.5
  shot status
  accessible status
  xdotool key alt+i sleep 0.5 key Escape sleep 0.5
  shot info
  accessible info
  # The first exercise of the first group: Down, Enter opens the group, Enter chooses.
  xdotool key alt+e sleep 0.5 key Down sleep 0.3 key Return sleep 0.5 key Return sleep 1.5
  shot exercise
  accessible exercise
  xdotool key alt+s sleep 1
}

# The day before yesterday as the chart's value reads it: the locale's short
# date of that day (the prefix's is M/d/yyyy, without leading zeros).
history_views() { # MAIN-WINDOW VIEW-LETTER
  local list="$build/movaro_keys_${lang}_history.accessible.txt" day rc=0
  xdotool windowfocus --sync "$1" key alt+s sleep 0.5 key "alt+$2" sleep 0.3 key Down sleep 1
  shot history7
  xdotool key Down sleep 0.3 key Down sleep 1
  shot history90
  xdotool key Tab sleep 0.3 key Left sleep 0.3 key Left sleep 0.5
  shot history90_day
  "$WINE" "$build/bin/accessible_probe.exe" "$(windows_path "$work/access.txt")" Movaro >/dev/null 2>&1 || rc=$?
  tr -d '\r' <"$work/access.txt" >"$list" 2>/dev/null || true
  [[ $rc == 0 ]] || fail "the history: $(grep -c -E "UNNAMED|MISNAMED|SHARED" "$list") unnamed, misnamed or shared names ($list)"
  grep -qE "(history file left out|Verlaufsdatei): 1" "$list" ||
    fail "the history does not tell of its damaged line ($list)"
  day=$(date -d '2 days ago' +%-m/%-d/%Y)
  grep -E "chart \| .*focused.* \| value: [^ ]+ $day: " "$list" ||
    fail "the focused chart does not read the day before yesterday ($day) after Left Left ($list)"
  echo "$lang: the history showed 7 and 90 days; Left chose $day on the chart"
  # Back to today's figures for the rest of the walk.
  xdotool key shift+Tab sleep 0.3 key Up sleep 0.3 key Up sleep 0.3 key Up sleep 0.5
}

walk() { # LANGUAGE NUMBER YES-LETTER VIEW-LETTER
  lang=$1
  local app="$work/$lang/Movaro" main x y
  install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat Av
  printf '[Movaro]\r\nLngID=%s\r\n' "$2" >"$ini"
  seed_movaro_history "$ini"
  (cd "$app" && exec "$WINE" "$app/Movaro.exe") &
  pid=$!
  main=$(wait_window "$MOVARO_MAIN_TEST" 600)
  [[ -n "$main" ]] || fail "no main window"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")" # X, Y

  history_views "$main" "$4"
  [[ $lang != en ]] || pages_by_keyboard "$main"

  # The setup page (Alt+C): Tab from the short-break spinner types nothing
  # into it and stores nothing; the focus is on the block check box next.
  xdotool windowfocus --sync "$main" key alt+c
  for _ in $(seq 30); do [[ "$(field 14402 6)" == 1 ]] && break; sleep 0.1; done
  [[ "$(field 14402 6)" == 1 ]] || fail "Alt+C did not show the setup page"
  [[ $lang != en ]] || accessible setup
  read -r _ x y _ <<<"$(control 14402)"
  local before
  before=$(setting ConfigShortPause)
  xdotool mousemove $((x + 10)) $((y + 8)) click 1 sleep 0.3 key Tab sleep 0.3
  [[ "$(field 14402 9)" == 60 ]] || fail "Tab changed the spinner's text to '$(field 14402 9)'"
  [[ "$(setting ConfigShortPause)" == "$before" ]] || fail "Tab stored the short break $(setting ConfigShortPause)"
  xdotool key space
  wait_setting ConfigShortPauseBlock 1 || fail "Space after Tab did not tick the block check box"
  shot setup
  # Shift+Tab goes back into the spinner, selecting its text: a typed
  # length replaces it and is stored.
  xdotool key shift+Tab sleep 0.3 type --delay 50 45
  xdotool key Tab
  wait_setting ConfigShortPause 45 || fail "the typed short break is stored as '$(setting ConfigShortPause)'"
  echo "$lang: Tab left the spinner, Space ticked the check box, the typed 45 s was stored"
  # The full-screen wait: typed over its default and left with Tab.
  read -r _ x y _ <<<"$(control 14602)"
  [[ "$(field 14602 9)" == 30 ]] || fail "the full-screen wait shows '$(field 14602 9)', not its default 30"
  xdotool mousemove $((x + 10)) $((y + 8)) click 1 sleep 0.3 key End BackSpace BackSpace
  xdotool type --delay 50 15
  xdotool key Tab
  wait_setting ConfigFullScreenWait 15 || fail "the typed full-screen wait is stored as '$(setting ConfigFullScreenWait)'"
  echo "$lang: the typed full-screen wait of 15 min was stored"

  # The About box (Alt+A) closes on Escape, and when the main window is clicked.
  xdotool key alt+a
  [[ -n "$(wait_window "$ABOUT" 50)" ]] || fail "Alt+A showed no About box"
  sleep 0.5
  shot about
  xdotool key Escape
  gone "$ABOUT" || fail "Escape did not close the About box"
  xdotool key alt+a
  [[ -n "$(wait_window "$ABOUT" 50)" ]] || fail "Alt+A showed no About box the second time"
  sleep 0.5
  xdotool mousemove $((X + 300)) $((Y + 5)) click 1
  gone "$ABOUT" || fail "a click on the main window left the About box open"
  echo "$lang: the About box closed on Escape and on a click on the main window"

  # Hidden to the tray (Insert) and restored by the icon: Alt+A works at once.
  xdotool windowfocus --sync "$main" key Insert
  for _ in $(seq 50); do [[ -z "$(window_where "$MOVARO_MAIN_TEST")" ]] && break; sleep 0.1; done
  local tray
  tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -1)
  [[ -n "$tray" ]] || fail "no tray window"
  eval "$(xdotool getwindowgeometry --shell "$tray" | sed 's/^/TRAY_/')"
  xdotool mousemove $((TRAY_X + 8)) $((TRAY_Y + 8)) click 1
  main=$(wait_window "$MOVARO_MAIN_TEST" 50)
  [[ -n "$main" ]] || fail "the tray icon did not restore the window"
  sleep 0.5
  # Without a window manager Wine leaves the X keyboard focus with the
  # pointer (over the tray now): the pointer goes onto the window, no click.
  xdotool mousemove $((X + 300)) $((Y + 430)) sleep 0.3 key alt+a
  [[ -n "$(wait_window "$ABOUT" 50)" ]] || fail "Alt+A did nothing after the restore from the tray"
  xdotool key Return
  gone "$ABOUT" || fail "Enter did not close the About box"
  echo "$lang: after the restore from the tray Alt+A showed the About box, Enter closed it"

  # The Quit question: Escape answers No; Tab moves to No, so Enter keeps
  # the program; Alt with Yes's first letter ends it.
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + 60)) $((Y + 397)) click 1
  [[ -n "$(wait_window "$QUESTION" 50)" ]] || fail "Quit did not ask"
  sleep 0.5
  xdotool key Escape
  gone "$QUESTION" || fail "Escape did not answer the Quit question"
  xdotool mousemove $((X + 60)) $((Y + 397)) click 1
  [[ -n "$(wait_window "$QUESTION" 50)" ]] || fail "Quit did not ask again"
  sleep 0.5
  xdotool key Tab
  sleep 0.5
  shot quit
  xdotool key Return
  gone "$QUESTION" || fail "Enter did not answer the Quit question"
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "Tab and Enter quit the program: Enter did not press No"
  xdotool mousemove $((X + 60)) $((Y + 397)) click 1
  [[ -n "$(wait_window "$QUESTION" 50)" ]] || fail "Quit did not ask a third time"
  sleep 0.5
  xdotool key "alt+$3"
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$pid" 2>/dev/null && fail "Alt+$3 did not answer Yes"
  pid=""
  echo "$lang: the Quit question took Escape, Tab and Enter, and Alt+$3"
  wine_stop
}

walk en 44 y v
walk de 49 j n
echo "movaro keyboard walk: passed in English and German"
