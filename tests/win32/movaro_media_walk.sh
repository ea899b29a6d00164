#!/usr/bin/env bash
# A user plays an exercise film in Movaro and presses its media buttons in
# every order, in English and in German: each pair of the five buttons (play,
# pause, stop, step forward, step back) is clicked in quick succession, and
# after each pair the window must still answer (the status line shows the
# hint of the button the mouse goes to next) and, after a play, the film must
# move. Over the walk, which lasts more than a minute, the status bar's clock
# must have moved on.
#   movaro_media_walk.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
# Screenshots are kept as BUILD_DIR/movaro_media_{en,de}.png.
set -euo pipefail
src=$1 build=$2
source "$src/tests/support/installed-movaro.sh"
begin_movaro_test "$src" "$build" media_walk
content="$src/build/host/content"
for file in movaro.dat MVRInfo.dat Movaro.lng; do
  [[ -s "$content/$file" ]] || { echo "no $content/$file: build the host tree first" >&2; exit 1; }
done
ini=$(movaro_profile_file)
fail() { echo "$lang: $*" >&2; exit 1; }
# The normalised RMSE of two pictures.
differ() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# A probe of the main window that a frozen window cannot hold up for long.
probe() { # OUTPUT ID...
  timeout 20 "$WINE" "$build/bin/control_probe.exe" "$(windows_path "$1")" Movaro "${@:2}" ||
    fail "the main window does not answer a probe"
}
status_text() {
  probe "$work/status.txt" class:msctls_statusbar32
  cut -d' ' -f9- "$work/status.txt"
}
# Moves the mouse onto a button of the main window's column (Info or
# Status) and waits up to 10 s for its hint in the status line: the window
# is alive.
hover() { # NAME
  xdotool mousemove $((X + 60)) "${column_y[$1]}"
  for _ in $(seq 20); do
    [[ "$(status_text)" == "${hint[$1]}" ]] && return
    sleep 0.5
  done
  fail "after $pair the window no longer answers: the status line says '$(status_text)', not '${hint[$1]}'"
}
video_shot() { # FILE: the film's 180x180 picture, centred in its panel
  import -window root -crop "180x180+$((vx + 25))+$((vy + 30))" +repage "$1"
}
clock_shot() { # FILE: the status bar's clock panel
  import -window root -crop "96x$((sh - 4))+$((sx + 352))+$((sy + 2))" +repage "$1"
}

walk() { # LANGUAGE NUMBER
  lang=$1
  local app="$work/$lang/Movaro" main menu sub name first second
  install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat movaro.dat Av
  printf '[Movaro]\r\nLngID=%s\r\n' "$2" >"$ini"
  (cd "$app" && exec "$WINE" "$app/Movaro.exe") &
  pid=$!
  main=$(wait_window "$MOVARO_MAIN_TEST" 600)
  [[ -n "$main" ]] || fail "no main window"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")" # X, Y

  # The first exercise of the first region, whose film plays from movaro.dat.
  xdotool mousemove $((X + 60)) $((Y + 152)) click 1
  menu=$(menu_below $((X + 5)) $((Y + 172)))
  [[ -n "$menu" ]] || fail "the Exercises button opened no menu"
  sub=$(submenu_of "$menu" 0)
  [[ -n "$sub" ]] || fail "the first region opened no exercise menu"
  menu_click "$sub" 0

  # The buttons are drawn by the window itself (no windows of their own):
  # they stand in a row 260 pixels down the exercise panel, whose video
  # panel lies at 250,15; that panel is at 376,122 in the main window.
  declare -gA bx by hint
  local names=(play pause stop forward back) lefts=(240 287 338 389 436) i
  for i in 0 1 2 3 4; do
    bx[${names[$i]}]=$((X + 126 + lefts[i])) by[${names[$i]}]=$((Y + 107 + 260))
  done
  vx=$((X + 376)) vy=$((Y + 122))
  probe "$work/bar.txt" class:msctls_statusbar32
  read -r _ sx sy _ sh _ <"$work/bar.txt"
  [[ "$sx" =~ ^-?[0-9]+$ ]] || fail "no status bar: $(cat "$work/bar.txt")"
  local colours=0
  for _ in $(seq 50); do
    video_shot "$work/video_1.png"
    colours=$(convert "$work/video_1.png" -format %k info:)
    [[ $colours -gt 8 ]] && break
    sleep 0.2
  done
  [[ $colours -gt 8 ]] || fail "the film shows no picture: nothing plays"
  sleep 1.5
  import -window root "$build/movaro_media_$lang.png"
  echo "screenshot: $build/movaro_media_$lang.png"
  clock_shot "$work/clock_start.png"
  local start=$SECONDS
  # The hints of the Info and Status buttons, which the status line shows
  # while the mouse rests on them (the film's buttons show none).
  declare -gA column_y=([info]=$((Y + 117)) [status]=$((Y + 187)))
  local text previous
  previous=$(status_text)
  for name in info status; do
    xdotool mousemove $((X + 60)) "${column_y[$name]}"
    text=""
    for _ in $(seq 20); do
      text=$(status_text)
      [[ -n "$text" && "$text" != "$previous" ]] && break
      sleep 0.3
    done
    [[ -n "$text" && "$text" != "$previous" ]] || fail "no hint for the $name button"
    hint[$name]=$text previous=$text
  done
  echo "$lang: hints: '${hint[info]}', '${hint[status]}'"

  local motion moved=0 pairs=0
  for first in "${names[@]}"; do
    for second in "${names[@]}"; do
      pair="$first/$second"
      xdotool mousemove $((bx[$first] + 27)) $((by[$first] + 17)) click 1 sleep 0.3 \
        mousemove $((bx[$second] + 27)) $((by[$second] + 17)) click 1
      # The window answers: the hint of the column button the mouse goes to
      # reaches the status line (Info and Status by turns).
      if ((++pairs % 2)); then hover info; else hover status; fi
      if [[ "$second" == play ]]; then
        video_shot "$work/video_1.png"
        sleep 1
        video_shot "$work/video_2.png"
        motion=$(differ "$work/video_1.png" "$work/video_2.png")
        [[ "$motion" =~ ^[0-9.e-]+$ ]] || motion=0
        echo "$lang: $pair: the film changed by $motion within a second"
        above "$motion" 0.005 || fail "after $pair the film does not move"
        moved=$((moved + 1))
      fi
    done
  done
  [[ $moved -eq 5 ]] || fail "the film was checked after $moved plays, not 5"

  # The clock shows hours and minutes: a minute after the first picture of
  # it, it must have changed.
  local change=0
  while ((SECONDS - start < 75)); do
    clock_shot "$work/clock_now.png"
    change=$(differ "$work/clock_start.png" "$work/clock_now.png")
    above "$change" 0.01 && break
    sleep 1
  done
  above "$change" 0.01 || fail "the status bar's clock stopped"
  echo "$lang: 25 button pairs pressed; the window answered after each; the clock moved on after $((SECONDS - start)) s"

  wine_stop
  wait "$pid" 2>/dev/null || true
  pid=""
}

walk en 44
walk de 49
echo "media buttons pressed in every order in English and German; Movaro answered throughout"
