#!/usr/bin/env bash
# The real setup file through its wizard under Wine, as a user on a German
# system installs it: the wizard speaks German, a second start while it is
# open ends at once, the licence is accepted, another program folder is
# typed, and the finish page starts Movaro. The folder, the language kept
# for the next run and the uninstall entry are read back. An update that
# cannot write Readme.txt (a folder stands in its place) then rolls back: its
# finish page says so and Movaro.exe is the one installed before. Runs in a prefix
# of its own; screenshots of every page stay in BUILD_DIR/wizard-test-shots.
#   kestrup_wizard.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
set -euo pipefail
src=$1 build=$2
tree=$(basename "$build")
[[ -n "${DISPLAY:-}" ]] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 1; }
work=$(mktemp -d "$build/wizard-test.XXXXXX")
source "$src/scripts/wine-env.sh" "$build"
export WINEPREFIX="$work/prefix" HOME="$work/prefix.home"
mkdir -p "$HOME"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$src" && scripts/build-setup.sh "$tree") >/dev/null
$WINE cmd /c exit >/dev/null 2>&1 || true
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
$WINE reg add 'HKCU\Control Panel\International' /v sLanguage /d DEU /f >/dev/null 2>&1

shots="$build/wizard-test-shots"
rm -rf "$shots"
folder='C:\Apps\Bewegung\'
(cd "$src" && WALK_PREFIX="$WINEPREFIX" WALK_FOLDER="$folder" \
  scripts/wizard-walk.sh "$build" "$build/Setup.exe" "$shots")

[[ "$(cat "$shots/second-start")" == 1 ]] || fail "a second start while the wizard was open ended with $(cat "$shots/second-start")"
[[ -f "$WINEPREFIX/drive_c/Apps/Bewegung/Movaro.exe" ]] || fail "Movaro.exe is not in the typed folder"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Movaro'
installed=$($WINE reg query "$key" /v InstallDir 2>/dev/null | tr -d '\r' | awk '$1 == "InstallDir" { print $3 }')
[[ "$installed" == "$folder" ]] || fail "uninstall entry names '$installed', not the typed folder"
settings="$WINEPREFIX/drive_c/ProgramData/Veltrin/Kestrup/Kestrup.dat"
grep -q '^LngID=49' "$settings" || fail "the German choice is not kept for the next run: $(cat "$settings")"

wine_stop # Movaro, started by the finish page
dir="$WINEPREFIX/drive_c/Apps/Bewegung"
printf 'an older program' >"$dir/Movaro.exe"
touch -d 2001-01-01 "$dir/Movaro.exe"
rm -f "$dir/Readme.txt" && mkdir "$dir/Readme.txt"
(cd "$src" && WALK_PREFIX="$WINEPREFIX" WALK_ROLLBACK=1 \
  scripts/wizard-walk.sh "$build" "$build/Setup.exe" "$shots/rollback")
[[ "$(cat "$dir/Movaro.exe")" == 'an older program' ]] || fail "the rolled-back update did not bring the old Movaro.exe back"
[[ -z "$(find "$dir" -name '*.~old' -o -name '*.~new')" ]] || fail "a backup or new copy was left: $(find "$dir" -name '*.~*')"
tr -d '\r' <"$WINEPREFIX/drive_c/ProgramData/Veltrin/Kestrup/Kestrup.log" | grep -q "The previous version was restored" ||
  fail "the log does not say the previous version was restored"
echo "kestrup_wizard: passed (screenshots in $shots)"
