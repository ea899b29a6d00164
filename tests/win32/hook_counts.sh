#!/usr/bin/env bash
# Input typed, moved and clicked into one Wine window with xdotool reaches the
# activity counters of another program through Movaro.dll's system-wide hooks.
#   hook_counts.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
set -euo pipefail
src=$1 build=$2
[[ -n "${DISPLAY:-}" ]] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 1; }
work=$(mktemp -d "$build/hookcounts.XXXXXX")
monitor="" target=""
cleanup() {
  [[ -n "$monitor" ]] && kill "$monitor" 2>/dev/null || true
  [[ -n "$target" ]] && kill "$target" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
"$src/scripts/wine-prefix.sh" "$build"
source "$src/scripts/wine-env.sh" "$build"

wait_file() { # file, tenths of a second
  for _ in $(seq "$2"); do [[ -e "$1" ]] && return 0; sleep 0.1; done
  return 1
}

$WINE "$build/bin/hook_probe.exe" "$(windows_path "$work/ready")" "$(windows_path "$work/counts")" &
monitor=$!
wait_file "$work/ready" 300 || { echo "monitor never started" >&2; exit 1; }
grep -q '^ok' "$work/ready" || { echo "monitor: $(cat "$work/ready")" >&2; exit 1; }

$WINE "$build/bin/paint_probe.exe" "$(windows_path "$work/target-ready")" &
target=$!
wait_file "$work/target-ready" 300 || { echo "target window never painted" >&2; exit 1; }
window=$(xdotool search --sync --name "Paint probe" | head -1)
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool mousemove --sync 150 150
sleep 1

counts() { cat "$work/counts"; }
field() { sed -n "s/.*\b$1=\([0-9]*\).*/\1/p" <<<"$2"; }
before=$(counts)
echo "before: $before"

xdotool type --delay 30 abcdefghijkl         # 12 key presses and releases
xdotool mousemove --sync 220 200             # one real move
xdotool mousemove 220 200                    # the same place again
xdotool click 1                              # press and release: one click
xdotool click 4                              # wheel turn (button 4 = wheel up)

expect() { # name, difference
  local now diff
  now=$(field "$1" "$after") diff=$(( now - $(field "$1" "$before") ))
  if [[ "$diff" -ne "$2" ]]; then
    echo "$1: counted $diff, expected $2" >&2
    failed=1
  fi
}
# The notifications are posted: wait until the counts settle.
after="" last=""
for _ in $(seq 50); do
  sleep 0.2
  after=$(counts)
  [[ "$after" == "$last" && "$(field global "$after")" -ge $(( $(field global "$before") + 15 )) ]] && break
  last=$after
done
sleep 0.5
after=$(counts)
echo "after:  $after"
failed=0
expect keystrokes 12
expect moves 1
expect clicks 1
expect dclicks 0
expect wheel 1
expect global 15
exit $failed
