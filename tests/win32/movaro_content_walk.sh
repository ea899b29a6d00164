#!/usr/bin/env bash
# A user walks through Movaro's shipped content, in English and in German:
# the Info button's menu opens a background page with its picture, the
# Exercises button's menu an exercise whose video plays from movaro.dat, and
# the Status page's "Stress" gauge the questionnaire, whose Yes button the
# profile file records at once. Everything is installed as the content build
# made it (movaro.dat, MVRInfo.dat, Movaro.lng, the sounds).
#   movaro_content_walk.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
# Screenshots are kept as BUILD_DIR/movaro_walk_{en,de}_{background,exercise,questionnaire}.png.
set -euo pipefail
src=$1 build=$2
source "$src/tests/support/installed-movaro.sh"
begin_movaro_test "$src" "$build" content_walk
content="$src/build/host/content"
for file in movaro.dat MVRInfo.dat Movaro.lng; do
  [[ -s "$content/$file" ]] || { echo "no $content/$file: build the host tree first" >&2; exit 1; }
done
ini=$(movaro_profile_file)
fail() { echo "$lang: $*" >&2; exit 1; }
shot() { import -window root "$build/movaro_walk_${lang}_$1.png"; echo "screenshot: $build/movaro_walk_${lang}_$1.png"; }
# A part of a screenshot, given in main window coordinates (WxH+X+Y).
crop() { convert "$1" -crop "$(awk -v g="$2" -v x="$X" -v y="$Y" 'BEGIN {
  split(g, a, /[x+]/); printf "%dx%d+%d+%d", a[1], a[2], a[3] + x, a[4] + y }')" +repage "$3"; }
# The share of strongly coloured pixels: pictures have them, text and page do not.
coloured() { convert "$1" -colorspace HSL -channel G -separate +channel -threshold 35% -format "%[fx:mean]" info:; }
# The normalised RMSE of two pictures (compare's status says only "they differ").
differ() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
probe_controls() { # OUTPUT ID...: control_probe on the main window
  "$WINE" "$build/bin/control_probe.exe" "$(windows_path "$1")" Movaro "${@:2}"
}

walk() { # LANGUAGE NUMBER HINT: HINT is the Info button's status line text in it
  lang=$1
  local app="$work/$lang/Movaro" x y menu sub pick entry
  install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat movaro.dat Av
  printf '[Movaro]\r\nLngID=%s\r\n' "$2" >"$ini"
  (cd "$app" && exec "$WINE" "$app/Movaro.exe") &
  pid=$!
  local main
  main=$(wait_window "$MOVARO_MAIN_TEST" 600)
  [[ -n "$main" ]] || fail "no main window"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")" # X, Y

  # The language: the status line shows the hint of the button under the mouse.
  xdotool mousemove $((X + 60)) $((Y + 117)) sleep 0.5
  probe_controls "$work/status.txt" class:msctls_statusbar32
  grep -qF "$3" "$work/status.txt" || fail "the status line is not in the language: $(cat "$work/status.txt")"

  # Info: the chapters of the information file; the first chapter's section
  # "Breaks and movement" shows its picture.
  import -window root "$work/first_page.png"
  xdotool click 1
  menu=$(menu_below $((X + 5)) $((Y + 137)))
  [[ -n "$menu" ]] || fail "the Info button opened no menu"
  [[ $(menu_items "$menu") -eq 6 ]] || fail "the Info menu holds $(menu_items "$menu") chapters, not 6"
  sub=$(submenu_of "$menu" 0)
  [[ -n "$sub" ]] || fail "the first chapter opened no section menu"
  menu_click "$sub" 0
  sleep 1.5
  shot background
  local page="$build/movaro_walk_${lang}_background.png"
  crop "$page" 380x140+185+118 "$work/picture_$lang.png"
  crop "$page" 440x90+140+280 "$work/text_$lang.png"
  crop "$work/first_page.png" 380x140+185+118 "$work/first_picture.png"
  local share change
  share=$(coloured "$work/picture_$lang.png")
  change=$(differ "$work/first_picture.png" "$work/picture_$lang.png")
  echo "$lang: background picture: $share of its pixels coloured, $change away from the first page's"
  above "$share" 0.02 || fail "no picture on the background page"
  above "$change" 0.05 || fail "the chosen section did not replace the first page"

  # Exercises: the region menus; "Shoulders, back and neck" and its first
  # exercise, whose video is taken from movaro.dat into T and plays.
  xdotool mousemove $((X + 60)) $((Y + 152)) click 1
  menu=$(menu_below $((X + 5)) $((Y + 172)))
  [[ -n "$menu" ]] || fail "the Exercises button opened no menu"
  [[ $(menu_items "$menu") -eq 10 ]] || fail "the Exercises menu holds $(menu_items "$menu") regions, not 10"
  sub=$(submenu_of "$menu" 0)
  [[ -n "$sub" ]] || fail "the first region opened no exercise menu"
  menu_click "$sub" 0
  for _ in $(seq 50); do [[ -s "$app/T/00000001.avi" ]] && break; sleep 0.1; done
  [[ -s "$app/T/00000001.avi" ]] || fail "the video was not taken from movaro.dat"
  sleep 1.5
  shot exercise
  sleep 1
  import -window root "$work/exercise_later.png"
  crop "$build/movaro_walk_${lang}_exercise.png" 180x180+401+152 "$work/video_1.png"
  crop "$work/exercise_later.png" 180x180+401+152 "$work/video_2.png"
  local colours motion
  colours=$(convert "$work/video_1.png" -format %k info:)
  motion=$(differ "$work/video_1.png" "$work/video_2.png")
  echo "$lang: video: $colours colours, $motion changed within a second"
  [[ $colours -gt 8 ]] || fail "the video shows no picture"
  above "$motion" 0.005 || fail "the video does not move"

  # Status, then the "Stress" label: the questionnaire's page with its first
  # question; a click on Yes is in the profile file at once, with the score
  # of Yes of the shipped question (head qggt0030010001: 3).
  xdotool mousemove $((X + 60)) $((Y + 187)) click 1 sleep 1
  xdotool mousemove $((X + 125 + 30)) $((Y + 80 + 186)) click 1 sleep 1.5
  shot questionnaire
  probe_controls "$work/radio.txt" class:Button
  read -r _ x y _ <"$work/radio.txt" || true
  [[ "$x" =~ ^[0-9]+$ ]] || fail "the questionnaire shows no answer buttons: $(cat "$work/radio.txt")"
  xdotool mousemove $((x + 6)) $((y + 6)) click 1
  entry=""
  for _ in $(seq 30); do
    entry=$(grep -a '^t0010001=' "$ini" 2>/dev/null || true)
    [[ -n "$entry" ]] && break
    sleep 0.1
  done
  [[ "$entry" == t0010001=3\>* ]] || fail "the Yes answer is not in the profile file: '${entry}'"
  echo "$lang: the questionnaire recorded ${entry%%>*}"

  wine_stop
  wait "$pid" 2>/dev/null || true
  pid=""
}

walk en 44 "Shows background information"
walk de 49 "Zeigt Hintergrundinformationen"
# Both languages show the same picture around different text.
pictures=$(differ "$work/picture_en.png" "$work/picture_de.png")
texts=$(differ "$work/text_en.png" "$work/text_de.png")
echo "English against German: pictures $pictures apart, texts $texts"
above 0.05 "$pictures" || { echo "the background picture differs between the languages" >&2; exit 1; }
above "$texts" 0.05 || { echo "the background text is the same in English and German" >&2; exit 1; }
echo "background page, exercise video and questionnaire walked in English and German"
