#!/usr/bin/env bash
# How long Quit takes in Movaro under Wine, as the user sees it: Movaro is
# started from an installed-like folder with its data files and left to
# finish starting; then Quit is clicked and "Yes" in the question. Reported,
# in seconds after the click on "Yes": when the question has gone, when the
# farewell picture (the About box) appears and goes, and when the process has
# ended. RUNS runs (default 3).
# Without a window manager, Wine's X11 driver waits up to 2 s for one
# whenever it hides a window that had the focus (the question, the main
# window) or that its tray program shows; "unmanaged" runs with Wine's
# managed windows off in the prefix for the time of the bench, which
# leaves the program's own time.
#   bench/movaro_quit.sh [RUNS] [TREE] [unmanaged]      (TREE: win32 by default)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
runs=${1:-3} tree=${2:-win32} mode=${3:-}
src=$PWD build=$PWD/build/$tree
for file in "$build/bin/Movaro.exe" build/host/content/MVRInfo.dat; do
  [[ -f $file ]] || { echo "no $file: build the $tree and host trees" >&2; exit 1; }
done
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
source tests/support/installed-movaro.sh
begin_movaro_test "$src" "$build" quit_bench
app="$work/Movaro"
x11_key='HKCU\Software\Wine\X11 Driver'
stop_extra() {
  [[ "$mode" != unmanaged ]] || { "$WINE" reg delete "$x11_key" /v Managed /f >/dev/null 2>&1; wineserver -w; } || true
}
if [[ "$mode" == unmanaged ]]; then
  "$WINE" reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
install_movaro "$src" "$build" "$app" Movaro.lng MVRInfo.dat MVRMsgs.dat Av

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
question_test='[[ $FOUND_WIDTH -eq 402 && $FOUND_HEIGHT -eq 152 ]]'
about_test='[[ $FOUND_WIDTH -eq 325 && $FOUND_HEIGHT -eq 325 ]]'
# (A window gone between its search and its geometry leaves these as they were.)
FOUND_X=0 FOUND_Y=0 FOUND_WIDTH=0 FOUND_HEIGHT=0
for run in $(seq "$runs"); do
  (cd "$app" && exec "$WINE" "$app/Movaro.exe") &
  pid=$!
  main=$(wait_window "$MOVARO_MAIN_TEST" 600)
  [[ -n "$main" ]] || { echo "no main window" >&2; exit 1; }
  sleep 3 # start-up done, monitoring on
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + 60)) $((Y + 397)) click 1
  box=$(wait_window "$question_test" 100)
  [[ -n "$box" ]] || { echo "Quit did not ask" >&2; exit 1; }
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$box")"
  start=$(now)
  xdotool mousemove $((X + 201)) $((Y + 118)) click 1 # "Yes"
  gone="" shown="" hidden="" ended=""
  while [[ -z "$ended" ]]; do
    t=$(now)
    kill -0 "$pid" 2>/dev/null || { ended=$t; break; }
    if [[ -z "$gone" && -z "$(window_where "$question_test")" ]]; then gone=$t; fi
    about=$(window_where "$about_test")
    if [[ -z "$shown" && -n "$about" ]]; then shown=$t; fi
    if [[ -n "$shown" && -z "$hidden" && -z "$about" ]]; then hidden=$t; fi
    [[ $(since "$start" "$t" | cut -d. -f1) -lt 60 ]] || { echo "Movaro still runs 60 s after Yes" >&2; exit 1; }
  done
  [[ -n "$hidden" ]] || hidden=$ended
  echo "run $run: question gone $(since "$start" "${gone:-$ended}") s," \
       "farewell shown $(since "$start" "${shown:-$ended}") s, gone $(since "$start" "$hidden") s" \
       "(on screen $(since "${shown:-$hidden}" "$hidden") s), process ended $(since "$start" "$ended") s"
  pid=""
done
