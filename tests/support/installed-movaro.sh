# Sourced by the Wine tests of Movaro.exe, before anything else they do.

# The common start of these tests: a display, a scratch folder
# BUILD_DIR/NAME.XXXXXX in $work, the tree's Wine prefix and environment, and
# an exit that runs the test's own stop_extra (when it defines one), stops
# the program ($pid) and every other process of the prefix, and removes the
# folder.
#   begin_movaro_test SOURCE_DIR BUILD_DIR NAME
begin_movaro_test() {
  [[ -n "${DISPLAY:-}" ]] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 1; }
  work=$(mktemp -d "$2/$3.XXXXXX")
  pid=""
  trap end_movaro_test EXIT
  "$1/scripts/wine-prefix.sh" "$2"
  source "$1/scripts/wine-env.sh" "$2"
}
end_movaro_test() {
  if declare -F stop_extra >/dev/null; then stop_extra; fi
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
  # A program still ending (a signal reaches a Wine process late) would meet
  # the next test's start as the instance already running.
  if declare -F wine_stop >/dev/null; then wine_stop; fi
  rm -rf "$work"
}

# The profile file Movaro uses in this prefix: in "Veltrin\Movaro\" of the
# user's application data folder, whose folder is made here so a test can
# write the file before the program starts.
#   ini=$(movaro_profile_file)
movaro_profile_file() {
  local roaming
  for roaming in "$WINEPREFIX"/drive_c/users/*/AppData/Roaming; do
    [[ "$roaming" == */users/Public/* ]] && continue
    mkdir -p "$roaming/Veltrin/Movaro"
    echo "$roaming/Veltrin/Movaro/movaro.ini"
    return
  done
  echo "no user application data folder in $WINEPREFIX" >&2
  return 1
}

# The user's history file beside the profile file: the 89 days before
# today, every sixth and a run of five in the middle missing, each line with
# its CRC-32, and one damaged line (the user is the one whose folder holds
# the profile file).
#   seed_movaro_history PROFILE-FILE
seed_movaro_history() { # PROFILE-FILE
  python3 - "$(dirname "$1")/$(basename "$(dirname "$(dirname "$(dirname "$(dirname "$(dirname "$1")")")")")").history" <<'PY'
import datetime, sys, zlib
today = datetime.date.today()
lines = []
for back in range(89, 0, -1):
    if back % 6 == 2 or 40 <= back <= 44:
        continue
    worked = 3 * 3600 + (back * 1571) % (5 * 3600)
    prompts, rested = 6 + back % 5, 2 + back % 6
    risk = -1 if back % 13 == 0 else 20 + (back * 7) % 55
    fields = [worked + 3600, worked, 3600, 2400, 9000 + back, 4000, 900, 80,
              prompts - 2, 2, min(rested, prompts), 0, 1] + [-1] * 10 + [risk]
    line = "1," + (today - datetime.timedelta(days=back)).isoformat() + "," + ",".join(map(str, fields))
    lines.append(line + "*%08X" % zlib.crc32(line.encode()))
    if back == 45:  # a line damaged on the disk: the page tells of it
        lines.append(line.replace(",", ";", 3) + "*%08X" % zlib.crc32(line.encode()))
open(sys.argv[1], "w", newline="").write("\r\n".join(lines) + "\r\n")
PY
}

# Lays out a folder as the installer would, with the program, its hook
# library and the data files built in the host tree (those of FILES that
# exist; Av: the standard sounds).
#   install_movaro SOURCE_DIR BUILD_DIR APP_DIR FILE...
install_movaro() {
  local src=$1 build=$2 app=$3 content="$1/build/host/content" file
  shift 3
  mkdir -p "$app"
  cp "$build/bin/Movaro.exe" "$app/"
  [[ -f "$build/bin/Movaro.dll" ]] && cp "$build/bin/Movaro.dll" "$app/"
  for file in "$@"; do
    if [[ "$file" == Av ]]; then
      mkdir -p "$app/Av"
      cp "$content"/Av/*.wav "$app/Av/" 2>/dev/null || true
    elif [[ -f "$content/$file" ]]; then
      cp "$content/$file" "$app/"
    fi
  done
}

# Wine names the X windows of Movaro's borderless windows after the program,
# so they are told apart by their size and place.
#   window_where TEST: the first visible window whose geometry passes TEST
#   (a shell test over $FOUND_X, $FOUND_Y, $FOUND_WIDTH, $FOUND_HEIGHT)
window_where() {
  local w
  for w in $(xdotool search --onlyvisible --class . 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed 's/^/FOUND_/')"
    if eval "$1"; then echo "$w"; return; fi
  done
}
#   wait_window TEST TENTHS: window_where, waiting up to TENTHS of a second
wait_window() {
  local found=""
  for _ in $(seq "$2"); do
    found=$(window_where "$1") && [[ -n "$found" ]] && break
    sleep 0.1
  done
  echo "$found"
}
MOVARO_MAIN_TEST='[[ $FOUND_WIDTH -eq 640 && $FOUND_HEIGHT -eq 445 ]]'

# Popup menus are windows of their own; Wine draws their items 17 pixels high
# below a border of 3.
#   menu_below X Y: the popup menu whose top left corner is X,Y (up to 3 s)
menu_below() { wait_window "[[ \$FOUND_X -eq $1 && \$FOUND_Y -eq $2 ]]" 30; }
#   menu_items MENU: how many items the popup menu window MENU holds
menu_items() {
  eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/MENU_/')"
  echo $(((MENU_HEIGHT - 6) / 17))
}
#   menu_point MENU INDEX: the screen point "X Y" inside item INDEX (from 0)
menu_point() {
  eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/MENU_/')"
  echo "$((MENU_X + 30)) $((MENU_Y + 3 + 17 * $2 + 8))"
}
#   submenu_of MENU INDEX: hovers item INDEX and waits for the submenu it opens
submenu_of() {
  local x y
  read -r x y < <(menu_point "$1" "$2")
  eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/MENU_/')"
  xdotool mousemove "$x" "$y"
  wait_window "[[ \$FOUND_X -ge $((MENU_X + MENU_WIDTH - 10)) && \$FOUND_X -le $((MENU_X + MENU_WIDTH + 2)) &&
                  \$FOUND_Y -ge $((y - 16)) && \$FOUND_Y -le $((y - 8)) ]]" 30
}
#   menu_click MENU INDEX: clicks item INDEX of the popup menu MENU
menu_click() {
  local x y
  read -r x y < <(menu_point "$1" "$2")
  xdotool mousemove "$x" "$y" sleep 0.3 click 1
}
