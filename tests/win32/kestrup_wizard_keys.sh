#!/usr/bin/env bash
# The real setup file's wizard by keyboard, in English and German: Enter on
# the language page goes on to the licence (Next is the default button),
# Escape asks whether to cancel, and Escape on that question keeps the
# wizard. In English the walk goes on by keyboard alone through every page
# to the end of the installation (Tab to the licence's accept button, Space,
# Enter on each page), and on every page a screen reader's walk through the
# window (accessible_probe.exe) finds every control named; its lists stay
# beside the screenshots. Runs in a prefix of its own; screenshots of the
# pages stay in BUILD_DIR/wizard-keys-shots.
#   kestrup_wizard_keys.sh SOURCE_DIR BUILD_DIR        (needs $DISPLAY)
set -euo pipefail
src=$1 build=$2
tree=$(basename "$build")
[[ -n "${DISPLAY:-}" ]] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 1; }
work=$(mktemp -d "$build/wizard-keys.XXXXXX")
source "$src/scripts/wine-env.sh" "$build"
export WINEPREFIX="$work/prefix" HOME="$work/prefix.home"
mkdir -p "$HOME"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
shots="$build/wizard-keys-shots"
rm -rf "$shots"
mkdir -p "$shots"
fail() { import -window root "$shots/failed.png"; echo "FAIL ($lang): $* (screen: $shots/failed.png)" >&2; exit 1; }

(cd "$src" && scripts/build-setup.sh "$tree") >/dev/null
$WINE cmd /c exit >/dev/null 2>&1 || true
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

source "$src/tests/support/wizard-controls.sh"
accessible() { # PAGE TEXT: the page as a screen reader finds it holds TEXT, every control named
  local list="$shots/$lang-$1.accessible.txt" rc=0
  for _ in $(seq 50); do
    rc=0
    $WINE "$build/bin/accessible_probe.exe" "$(windows_path "$work/access.txt")" Kestrup >/dev/null 2>&1 || rc=$?
    tr -d '\r' <"$work/access.txt" >"$list" 2>/dev/null || true
    grep -qF "$2" "$list" 2>/dev/null && break
    sleep 0.2
  done
  grep -qF "$2" "$list" || fail "the $1 page: a screen reader does not find '$2' ($list)"
  [[ $rc == 0 ]] || fail "the $1 page: $(grep -c -E "UNNAMED|MISNAMED|SHARED" "$list") unnamed, misnamed or shared names ($list)"
  echo "$lang: $1 page: $(tail -1 "$list")"
}
# Tab until the control is focused: true when it was reached within 12 Tabs.
tab_to() { # TAG
  visited=""
  for _ in $(seq 12); do
    local now
    now=$(focused)
    visited="$visited $now"
    [[ "${now%%:*}" == "$1" ]] && return 0
    xdotool key Tab
    sleep 0.2
  done
  [[ "$(focused)" == "$1:"* ]]
}
# The rest of the pages by keyboard, each looked at by the screen reader's walk.
rest_of_wizard() {
  accessible licence "Yes, I accept"
  # The keyboard back to the wizard after the question (no window manager).
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.3
  tab_to 11200 || fail "Tab did not reach the licence's accept button (focus on:$visited)"
  xdotool key space
  wait_field 200 7 1 || fail "Space on the accept button did not enable Next"
  xdotool key Return
  wait_field 12400 6 1 || fail "Enter on the licence did not go on to the folder page"
  sleep 0.5
  import -window root "$shots/$lang-4-folder.png"
  accessible folder "Program Folder"
  xdotool key Return
  wait_field 13200 6 1 || fail "Enter on the folder page did not go on to the group page"
  sleep 0.5
  import -window root "$shots/$lang-5-group.png"
  accessible group "Place a program shortcut on the desktop"
  xdotool key Return
  accessible summary "Summary"
  import -window root "$shots/$lang-6-summary.png"
  xdotool key Return
  wait_field 16200 6 1 || fail "Enter on the summary did not install to the finish page"
  sleep 0.5
  import -window root "$shots/$lang-7-finish.png"
  accessible finish "Finish"
}

wizard_window() { # the wizard's X window (504 x 357, framed by Wine as it likes)
  local w
  for w in $(xdotool search --onlyvisible --name 'Kestrup|Movaro' 2>/dev/null); do
    echo "$w"
    return
  done
}

walk() { # LANGUAGE LOCALE
  lang=$1
  $WINE reg add 'HKCU\Control Panel\International' /v sLanguage /d "$2" /f >/dev/null 2>&1
  $WINE "$build/Setup.exe" &
  wait_field 200 6 1 || fail "the wizard did not show its Next button"
  sleep 1
  local window
  window=$(wizard_window)
  [[ -n "$window" ]] || fail "no wizard window"
  read -r _ x y w h _ <<<"$(control 200)"
  xdotool mousemove $((x + w / 2)) $((y + h + 30)) # beside the buttons, over the wizard
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  import -window root "$shots/$lang-1-language.png"
  [[ $lang != en ]] || accessible language "Choose Your Language"
  xdotool key Return
  wait_field 11200 6 1 || fail "Enter on the language page did not go on to the licence"
  sleep 0.5
  import -window root "$shots/$lang-2-licence.png"
  local before
  before=$(xdotool search --onlyvisible --name . 2>/dev/null | sort | tr '\n' ' ')
  xdotool key Escape
  local question=""
  for _ in $(seq 50); do
    question=$(comm -13 <(tr ' ' '\n' <<<"$before" | sort) \
      <(xdotool search --onlyvisible --name . 2>/dev/null | sort) | head -1)
    [[ -n "$question" ]] && break
    sleep 0.1
  done
  [[ -n "$question" ]] || fail "Escape did not ask whether to cancel"
  import -window root "$shots/$lang-3-cancel-question.png"
  xdotool windowfocus --sync "$question" 2>/dev/null || true
  xdotool key Escape
  visible() { xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1"; }
  for _ in $(seq 50); do visible "$question" || break; sleep 0.1; done
  ! visible "$question" || fail "Escape did not answer the question"
  sleep 0.5
  [[ "$(awk '{ print $6 }' <<<"$(control 11200)")" == 1 ]] || fail "Escape on the question ended the wizard"
  echo "$lang: Enter went on to the licence, Escape asked, Escape on the question kept the wizard"
  if [[ $lang == en ]]; then
    rest_of_wizard
    echo "$lang: Tab, Space and Enter went through every page to the finish, every control named"
  fi
  wine_stop
  sleep 1
}

walk en ENU
walk de DEU
echo "kestrup_wizard_keys: passed (screenshots in $shots)"
