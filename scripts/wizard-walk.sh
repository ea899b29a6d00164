#!/usr/bin/env bash
# Installs the product through the real wizard under Wine, as a user would:
# controls are found by their tags (tests/win32/probes/control_probe.cpp) and
# clicked with xdotool. Saves a screenshot of every page into OUTDIR and ends
# once the finish page has started the program (its window shown).
#   scripts/wizard-walk.sh BUILD_TREE SETUP.exe OUTDIR        (needs $DISPLAY)
# WALK_PREFIX: another Wine prefix than the tree's; WALK_DPI: its display
# scale, when not 96 pixels per inch; WALK_FOLDER: a program
# folder typed on the folder page instead of the proposed one; WALK_ROLLBACK=1:
# the run is expected to fail and roll back, so the walk ends on a finish
# page that says so, without the launch and readme boxes. The exit code
# of a second start while the wizard is open is kept in OUTDIR/second-start.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
tree=$1 setup=$2 out=$3
mkdir -p "$out"
source scripts/wine-env.sh "$tree"
if [[ -n "${WALK_PREFIX:-}" ]]; then
  export WINEPREFIX=$WALK_PREFIX HOME=$WALK_PREFIX.home
  mkdir -p "$HOME"
fi
probe_out=$(mktemp "$tree/probe.XXXXXX")
trap 'rm -f "$probe_out"' EXIT

# "ID X Y W H VISIBLE ENABLED CHECKED TEXT" of the wizard's control with the tag.
control() {
  $WINE "$tree/bin/control_probe.exe" "$(windows_path "$(readlink -f "$probe_out")")" Kestrup "$1" >/dev/null 2>&1 || return 1
  cat "$probe_out"
}
wait_for() { # tag, field number, value: until the control's field has the value
  local until=$((SECONDS + 120)) line
  while ((SECONDS < until)); do
    line=$(control "$1" || true)
    [[ "$(awk -v f="$2" '{print $f}' <<<"$line")" == "$3" ]] && return 0
    sleep 0.2
  done
  import -window root "$out/failed.png"
  echo "wizard-walk: control $1 never had field $2 = $3 (screen: $out/failed.png)" >&2
  return 1
}
click() { # tag
  local line x y w h
  line=$(control "$1")
  read -r _ x y w h _ <<<"$line"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.5
}
shot() {
  sleep 0.7
  import -window root "$out/$1.png"
  echo "wizard-walk: $out/$1.png"
}

$WINE "$setup" &
wait_for 200 6 1 # Next shown
shot 1-language
code=0
$WINE "$setup" >/dev/null 2>&1 || code=$?
echo "$code" >"$out/second-start"
click 200
if [[ "$(control 11200 | awk '{print $6}')" == 1 ]]; then
  shot 2-licence
  click 11200 # Yes, I accept
  wait_for 200 7 1
  click 200
fi
if [[ "$(control 12400 | awk '{print $6}')" == 1 ]]; then
  if [[ -n "${WALK_FOLDER:-}" ]]; then
    # The folder edit sits 180 px left of and 30 px above the Change button.
    read -r _ x y _ _ <<<"$(control 12400)"
    xdotool mousemove $((x - 5)) $((y - 20)) click 1 key End shift+Home BackSpace
    xdotool type --delay 20 "$WALK_FOLDER"
  fi
  shot 3-folder
  click 200
fi
if [[ "$(control 13300 | awk '{print $6}')" == 1 ]]; then
  shot 4-group
  click 200
fi
shot 5-summary
click 200
if [[ "${WALK_ROLLBACK:-}" == 1 ]]; then
  # Screens of the installation page until the finish page shows, to catch
  # the restoring message. Its text is painted by the page (no window to
  # probe): the finish page is known by its box for the log of the errors.
  n=0
  until [[ "$(control 16400 | awk '{print $6}')" == 1 ]]; do
    ((n < 40)) || { import -window root "$out/failed.png"; echo "wizard-walk: no rolled-back finish page" >&2; exit 1; }
    import -window root "$out/6-installing-$n.png"
    n=$((n + 1))
  done
  shot 7-finish-rolled-back
  for tag in 16200 16300; do
    [[ "$(control "$tag" | awk '{print $6}')" != 1 ]] || { echo "wizard-walk: box $tag shown after a rollback" >&2; exit 1; }
  done
  click 200
  exit 0
fi
shot 6-installing
wait_for 16200 6 1 # the finish page's "Launch the program"
shot 7-finish
click 200
# Movaro's main window is borderless and 640 x 445 at 96 dpi (WALK_DPI: the
# prefix's display scale); its first start in a fresh prefix (intro,
# information file, profile) can take a while.
# Scaled edge by edge, the size may differ by a pixel with the position.
dpi=${WALK_DPI:-96}
width=$(((640 * dpi + 48) / 96)) height=$(((445 * dpi + 48) / 96))
movaro_window() {
  local w WIDTH HEIGHT
  for w in $(xdotool search --onlyvisible --class . 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=')"
    ((WIDTH >= width - 1 && WIDTH <= width + 1 && HEIGHT >= height - 1 && HEIGHT <= height + 1)) &&
      echo "$w" && return 0
  done
  return 1
}
product=""
for _ in $(seq 180); do
  product=$(movaro_window) && break
  sleep 0.5
done
sleep 2 # its first paint
shot 8-product
[[ -n "$product" ]] || { echo "wizard-walk: no Movaro window appeared after the finish page" >&2; exit 1; }
