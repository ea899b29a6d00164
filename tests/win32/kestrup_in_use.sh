#!/usr/bin/env bash
# Files in use under Wine: the product's Movaro.dll held open without sharing
# (hold_probe.exe) while the real setup file updates it with its wizard. The
# update finishes; the log and the finish page say a restart completes it,
# the finish page offers no program to start, and the system's list of
# renames at the restart holds the new copy. The silent uninstall then
# leaves the held file to the restart (exit code 10, its deletion listed),
# and an install before the restart takes that deletion back. Runs in a
# prefix of its own; the finish page's screenshot stays in BUILD_DIR.
#   kestrup_in_use.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
set -euo pipefail
src=$1 build=$2
tree=$(basename "$build")
[[ -n "${DISPLAY:-}" ]] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 1; }
work=$(mktemp -d "$build/in-use-test.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
source "$src/scripts/wine-env.sh" "$build"
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$HOME"
(cd "$src" && scripts/build-setup.sh "$tree") >/dev/null
setup="$build/Setup.exe"
$WINE cmd /c exit >/dev/null 2>&1 || true
shot="$build/in-use-finish.png"

fail() { import -window root "$work/failed.png" 2>/dev/null; cp "$work/failed.png" "$build/in-use-failed.png" 2>/dev/null
  tr -d "\r" <"$installer/Kestrup.log" 2>/dev/null | tail -15 >&2; kill -0 "${holder:-0}" 2>/dev/null && echo "holder running" >&2
  echo "FAIL: $* (screen: $build/in-use-failed.png)" >&2; exit 1; }
run() { # expected exit code, then the program and its arguments
  local expected=$1 code=0
  shift
  $WINE "$@" >/dev/null 2>&1 || code=$?
  echo "$(basename "$1") ${*:2}: exit $code"
  [[ "$code" == "$expected" ]] || fail "expected exit $expected"
}
pending() { # the renames at the restart, one name a line
  $WINE reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
    2>/dev/null | tr -d '\r' | sed -n 's/.*REG_MULTI_SZ *//p' | sed 's/\\0/\n/g'
}
source "$src/tests/support/wizard-controls.sh"
log_has() { tr -d '\r' <"$installer/Kestrup.log" | grep -qF "$1"; }

run 0 "$setup" /silent
installer=$($WINE winepath -u 'C:\ProgramData' 2>/dev/null)/Veltrin/Kestrup
folder=$($WINE reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Movaro' /v InstallDir |
  tr -d '\r' | sed -n 's/.*REG_SZ *//p')
dll=$($WINE winepath -u "${folder}Movaro.dll" 2>/dev/null)
[[ -f "$dll" ]] || fail "Movaro.dll not installed in $folder"

# An older copy, so the wizard's run puts the setup's one in its place.
touch -d 2001-01-01 "$dll"
$WINE "$build/bin/hold_probe.exe" "${folder}Movaro.dll" 600 >/dev/null 2>&1 &
holder=$!
# A second holder, of a scratch file, keeps the Wine server up to the end:
# a new server would carry out the renames as a restart does.
echo scratch >"$work/scratch.txt"
$WINE "$build/bin/hold_probe.exe" "$(windows_path "$work/scratch.txt")" 600 >/dev/null 2>&1 &
sleep 2
$WINE "$setup" >/dev/null 2>&1 &
wizard=$!
wait_field 200 6 1 || fail "the wizard did not show its Next button"
sleep 1
window=$(xdotool search --onlyvisible --name 'Kestrup|Movaro' 2>/dev/null | head -1)
[[ -n "$window" ]] || fail "no wizard window"
xdotool windowfocus --sync "$window" 2>/dev/null || true # no window manager gives it the keyboard
xdotool key Return
wait_field 11200 6 1 || fail "no licence page"
sleep 0.5
for _ in $(seq 12); do # Tab to the licence's accept button
  [[ "$(focused)" == 11200:* ]] && break
  xdotool key Tab
  sleep 0.2
done
[[ "$(focused)" == 11200:* ]] || fail "Tab did not reach the licence's accept button"
xdotool key space
wait_field 200 7 1 || fail "accepting the licence did not enable Next"
xdotool key Return # an update: the summary follows the licence
wait_field 11200 6 0 || fail "Enter on the licence did not go on to the summary"
sleep 0.5
xdotool key Return # the installation, to its finish page (its readme box)
wait_field 16300 6 1 || fail "Enter on the summary did not install to the finish page"
sleep 0.5
import -window root "$shot"
# The page as a screen reader reads it: the restart named, no program to start.
$WINE "$build/bin/accessible_probe.exe" "$(windows_path "$work/finish.txt")" Kestrup >/dev/null 2>&1 || true
tr -d '\r' <"$work/finish.txt" >"$work/finish-page.txt" 2>/dev/null || true
grep -qF "restart the computer to complete the installation" "$work/finish-page.txt" ||
  fail "the finish page does not say a restart is needed: $(cat "$work/finish-page.txt")"
[[ "$(awk '{ print $6 }' <<<"$(control 16200)")" == 0 ]] || fail "the finish page offers to start the program"
echo "finish page: restart named, Launch hidden (screenshot $shot)"
read -r _ x y w h _ <<<"$(control 200)" # Next ends the wizard
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
for _ in $(seq 100); do kill -0 "$wizard" 2>/dev/null || break; sleep 0.2; done
! kill -0 "$wizard" 2>/dev/null || fail "the wizard did not end"
log_has "File in use, replaced at the next restart (${folder}Movaro.dll)" ||
  fail "the log does not name the file replaced at the restart"
pending | grep -qiF 'Movaro.dll.~new' || fail "no replacement of Movaro.dll at the restart: $(pending)"
echo "restart renames: $(pending | grep -ciF 'Movaro.dll') lines name Movaro.dll"

# The silent uninstall while it is still held, then an install before the restart.
quiet=$($WINE reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Movaro' /v QuietUninstallString |
  tr -d '\r' | sed -n 's/.*REG_SZ *//p')
script=$(sed -E 's/^"[^"]*" "uninstall" "([^"]*)".*/\1/' <<<"$quiet")
uninstaller=$(sed -E 's/^"([^"]*)".*/\1/' <<<"$quiet")
run 10 "$($WINE winepath -u "$uninstaller" 2>/dev/null)" uninstall "$script" /silent
# (The last product's uninstall takes the installer's folder, its log too.)
deletions() { pending | awk 'NR % 2 == 1 { name = $0 } NR % 2 == 0 && $0 == "" { print name }'; }
deletions | grep -qiF 'Movaro.dll' || fail "the held file is not deleted at the restart: $(pending)"
echo "after the uninstall, deleted at the restart: $(deletions | tr '\n' ' ')"
kill "$holder" 2>/dev/null || true # the program holding the file ends
wait "$holder" 2>/dev/null || true
sleep 1
run 0 "$setup" /silent
[[ -f "$dll" ]] || fail "the install did not bring Movaro.dll back"
! deletions | grep -qiF 'Movaro.dll' || fail "the new Movaro.dll would be deleted at the restart: $(deletions)"
echo "kestrup_in_use: passed (finish page: $shot)"
