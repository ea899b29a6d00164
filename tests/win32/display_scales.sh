#!/usr/bin/env bash
# Both programs at the display scales of 100, 150 and 200 % (LogPixels 96,
# 144 and 192 in the prefix): every page of the wizard, and Movaro's main
# window, its setup page (Alt+C), a background page (the Info button's
# first chapter's first section by keys), the status page's history of 90
# days (seeded), and a blocked break: the blocking
# window over the whole screen with the break prompt in its corner. Every
# window comes at its design size scaled (the main window is 640 x 445 at
# 96 dpi, the prompt 30 pixels from the screen's corner, the blocking
# window over the whole screen); the prefix goes
# back to 96 dpi at the end.
#   display_scales.sh SOURCE_DIR BUILD_DIR [DPI...]        (needs $DISPLAY)
# Without DPIs: 96, 144, and 192 where the screen holds the main window at 200 %.
# Screenshots are kept as BUILD_DIR/display-scales/DPI/*.png.
set -euo pipefail
src=$1 build=$2
shift 2
dpis=("$@")
source "$src/tests/support/installed-movaro.sh"
probe=""
# The scale is read back in a new server: a value that did not reach the
# prefix's registry file would show every window at the old scale.
set_dpi() {
  local want got=""
  want=$(printf '0x%x' "$1")
  for _ in 1 2 3; do
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    got=$("$WINE" reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" { print $3 }')
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    [[ "$got" == "$want" ]] && return 0
    echo "LogPixels read back as '$got', not $want: written again" >&2
  done
  return 1
}
stop_extra() {
  [[ -z "$probe" ]] || kill "$probe" 2>/dev/null || true
  set_dpi 96
}
begin_movaro_test "$src" "$build" display_scales
tree=$(basename "$build")
(cd "$src" && scripts/build-setup.sh "$tree") >/dev/null
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
# At 200 % the main window is 1280 x 890: a smaller screen cannot show it.
if [[ ${#dpis[@]} -eq 0 ]]; then
  dpis=(96 144)
  if ((screen_w >= 1280 && screen_h >= 900)); then
    dpis+=(192)
  else
    echo "192 dpi left out: the screen is $screen_w x $screen_h (run under a screen of 2048 x 1536)"
  fi
fi
ini=$(movaro_profile_file)
fail() {
  import -window root "$out/failed.png"
  local w
  for w in $(xdotool search --onlyvisible --class . 2>/dev/null); do
    echo "shown: $(xdotool getwindowname "$w" 2>/dev/null) $(xdotool getwindowgeometry --shell "$w" 2>/dev/null | tr '\n' ' ')" >&2
  done
  echo "$dpi dpi: FAIL: $* (screen: $out/failed.png)" >&2
  exit 1
}
shot() { sleep 0.5; import -window root "$out/$1.png"; echo "screenshot: $out/$1.png"; }
px() { echo $((($1 * dpi + 48) / 96)); } # design units to pixels, rounded as the programs do
# A window of a design size: scaled edge by edge, it may be a pixel larger
# or smaller, depending on where it is.
sized() { echo "[[ \$FOUND_WIDTH -ge $(($(px $1) - 1)) && \$FOUND_WIDTH -le $(($(px $1) + 1)) && \$FOUND_HEIGHT -ge $(($(px $2) - 1)) && \$FOUND_HEIGHT -le $(($(px $2) + 1)) ]]"; }
control() { # ID: "ID X Y WIDTH HEIGHT VISIBLE ENABLED CHECKED TEXT" of a control of the main window
  rm -f "$work/probe.txt"
  "$WINE" "$build/bin/control_probe.exe" "$(windows_path "$work/probe.txt")" Movaro "$1" >/dev/null 2>&1 || true
  [[ ! -f "$work/probe.txt" ]] || tr -d "\r" <"$work/probe.txt"
}
field() { awk -v f="$2" '{ print $f }' <<<"$(control "$1")"; }

movaro() { # the main window, its setup page and a background page
  local app="$work/$dpi/Movaro" main main_test menu
  install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat Av
  printf '[Movaro]\r\nLngID=44\r\n' >"$ini"
  seed_movaro_history "$ini"
  (cd "$app" && exec "$WINE" "$app/Movaro.exe") &
  pid=$!
  main_test=$(sized 640 445)
  main=$(wait_window "$main_test" 1200)
  [[ -n "$main" ]] || fail "no main window of $(px 640) x $(px 445)"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")" # X, Y
  shot main_window
  xdotool windowfocus --sync "$main" key alt+c
  for _ in $(seq 30); do [[ "$(field 14402 6)" == 1 ]] && break; sleep 0.1; done
  [[ "$(field 14402 6)" == 1 ]] || fail "Alt+C did not show the setup page"
  shot setup_page
  # The Info button (60, 117 in the window as designed) opens the chapters.
  xdotool mousemove $((X + $(px 60))) $((Y + $(px 117))) sleep 0.5 click 1
  menu=$(wait_window "[[ \$FOUND_X -ge $((X + $(px 5) - 2)) && \$FOUND_X -le $((X + $(px 5) + 2)) && \$FOUND_Y -ge $((Y + $(px 137) - 2)) && \$FOUND_Y -le $((Y + $(px 137) + 2)) ]]" 30)
  [[ -n "$menu" ]] || fail "the Info button opened no menu below itself"
  xdotool key Down sleep 0.3 key Right sleep 0.3 key Return
  sleep 2
  shot background_page
  # The status page's history of the last 90 days (Alt+S, Alt+V, the view's
  # last item), from a seeded history file.
  xdotool windowfocus --sync "$main" key alt+s sleep 0.5 key alt+v sleep 0.3 key Down Down Down
  shot status_history
  kill "$pid" 2>/dev/null || true
  pid=""
  wineserver -k 2>/dev/null || true
}

blocked_break() { # the blocking window and the break prompt over it
  local app="$work/$dpi/Blocking" blocking_test prompt_test blocking="" prompt start main
  install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat Av
  printf '[root.Data]\r\nConfigShortPause=30\r\nConfigShortPauseBlock=1\r\n' >"$ini"
  # Over the whole screen: at 150 % its design size, scaled back, may pass
  # the screen's edge by a pixel (1024 pixels are 682.7 design units).
  blocking_test="[[ \$FOUND_X -eq 0 && \$FOUND_Y -eq 0 && \$FOUND_WIDTH -ge $screen_w && \$FOUND_WIDTH -le $((screen_w + 1)) && \$FOUND_HEIGHT -ge $screen_h && \$FOUND_HEIGHT -le $((screen_h + 1)) ]]"
  prompt_test="[[ \$FOUND_Y -ge $(($(px 30) - 2)) && \$FOUND_Y -le $(($(px 30) + 2)) && \$((FOUND_X + FOUND_WIDTH)) -ge $((screen_w - $(px 30) - 2)) && \$((FOUND_X + FOUND_WIDTH)) -le $((screen_w - $(px 30) + 2)) && \$FOUND_WIDTH -lt $(px 400) ]]"
  "$WINE" "$build/bin/key_probe.exe" "$(windows_path "$work/keys.$dpi.txt")" &
  probe=$!
  (cd "$app" && exec "$WINE" "$app/Movaro.exe") &
  pid=$!
  main=$(wait_window "$(sized 640 445)" 1200)
  [[ -n "$main" ]] || fail "no main window"
  sleep 1
  xdotool windowfocus --sync "$main" key Insert # to the tray: prompts may come
  sleep 0.5
  # The user types into the key probe (the hook library tells Movaro) until
  # the break comes; a click then gives the blocking window the keyboard.
  start=$SECONDS
  xdotool mousemove 200 175 click 1
  while [[ -z "$blocking" && $((SECONDS - start)) -lt 150 ]]; do
    xdotool key a
    for _ in 1 2 3 4 5; do
      blocking=$(window_where "$blocking_test")
      [[ -n "$blocking" ]] && break
      sleep 0.1
    done
  done
  [[ -n "$blocking" ]] || fail "no blocking window over the screen within 150 s of typing"
  xdotool mousemove $((screen_w / 2)) $((screen_h - 100)) click 1
  prompt=$(wait_window "$prompt_test" 50)
  [[ -n "$prompt" ]] || fail "no break prompt $(px 30) pixels from the screen's corner"
  shot blocking_window_and_prompt
  kill "$probe" "$pid" 2>/dev/null || true
  probe="" pid=""
  wineserver -k 2>/dev/null || true
}

for dpi in "${dpis[@]}"; do
  out="$build/display-scales/$dpi"
  rm -rf "$out"
  mkdir -p "$out"
  # The wizard installs into a prefix of its own, fresh for each scale.
  (
    export WINEPREFIX="$work/wizard.$dpi" HOME="$work/wizard.$dpi.home"
    mkdir -p "$HOME"
    "$WINE" cmd /c exit >/dev/null 2>&1 || true
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    set_dpi "$dpi" || exit 1
    cd "$src" && WALK_PREFIX="$WINEPREFIX" WALK_DPI=$dpi \
      scripts/wizard-walk.sh "$build" "$build/Setup.exe" "$out/wizard"
    wineserver -k 2>/dev/null || true
  ) || fail "the wizard walk failed"
  rm -rf "$work/wizard.$dpi" "$work/wizard.$dpi.home"
  set_dpi "$dpi" || fail "the prefix did not take LogPixels $dpi"
  movaro
  blocked_break
  echo "$dpi dpi: every window at its scaled size (screenshots in $out)"
done
echo "display scales: passed at ${dpis[*]} dpi"
