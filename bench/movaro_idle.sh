#!/usr/bin/env bash
# Idle cost of Movaro under Wine: the program started from an installed-like
# folder, monitoring, its window hidden to the tray (Insert); over SECONDS
# (default 300) the CPU time of its own process (user + system, from
# /proc, wineserver not counted) as a share of one core, and its private
# bytes (GetProcessMemoryInfo PrivateUsage, read by memory_probe.exe).
# The programs run stripped, as the setup file ships them: Wine copies a
# program's sections into private memory (Windows maps them from the file),
# so debugging information would count as tens of megabytes. Wine's own
# share is shown by an idle notepad measured the same way.
#   bench/movaro_idle.sh [SECONDS] [TREE]        (TREE: win64 by default)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
seconds=${1:-300} tree=${2:-win64}
build=build/$tree
for file in "$build/bin/Movaro.exe" "$build/bin/memory_probe.exe" build/host/content/MVRInfo.dat; do
  [[ -f $file ]] || { echo "no $file: build the $tree and host trees" >&2; exit 1; }
done
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
scripts/wine-prefix.sh "$build" >/dev/null
source scripts/wine-env.sh "$build"
work=$(mktemp -d "$build/idle.XXXXXX")
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
case "$tree" in win32) strip=i686-w64-mingw32-strip ;; *) strip=x86_64-w64-mingw32-strip ;; esac
for program in Movaro.exe Movaro.dll; do "$strip" -o "$work/$program" "$build/bin/$program"; done
cp build/host/content/{Movaro.lng,MVRInfo.dat,MVRMsgs.dat} "$work/"

(cd "$work" && exec "$WINE" Movaro.exe) &
window=""
for _ in $(seq 150); do
  for w in $(xdotool search --onlyvisible --class . 2>/dev/null); do # the main window: 640 x 445
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 640x445' && window=$w && break 2
  done
  sleep 0.2
done
[[ -n "$window" ]] || { echo "Movaro did not start" >&2; exit 1; }
xdotool windowfocus --sync "$window" key Insert
sleep 5
pid=$(pgrep -f 'Movaro\.exe' | head -1)
[[ -n "$pid" ]] || { echo "no Movaro process" >&2; exit 1; }
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
start=$(ticks)
sleep "$seconds"
end=$(ticks)
# Private bytes as PrivateUsage, or, where Wine leaves that at 0, the
# commit charge (PagefileUsage) that Windows reports as the same figure.
memory=$("$WINE" "$build/bin/memory_probe.exe" Movaro.exe | head -1)
read -r _ private pagefile working <<<"${memory:-0 0 0 0}"
"$WINE" notepad &
sleep 10
floor=$("$WINE" "$build/bin/memory_probe.exe" notepad.exe | head -1)
read -r _ _ floorPagefile _ <<<"${floor:-0 0 0 0}"
awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" -v p="$private" -v f="$pagefile" -v w="$working" \
    -v n="$floorPagefile" 'BEGIN {
  printf "Movaro idle, hidden, monitoring: %.3f %% CPU over %d s (%d ticks of 1/%d s)\n", 100 * t / hz / s, s, t, hz
  printf "memory: PrivateUsage %.1f MB, PagefileUsage %.1f MB, working set %.1f MB\n", p / 1048576, f / 1048576, w / 1048576
  printf "Wine alone (an idle notepad): PagefileUsage %.1f MB\n", n / 1048576 }'
