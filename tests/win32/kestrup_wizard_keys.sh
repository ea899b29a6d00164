#!/usr/bin/env bash
# The real setup file's wizard by keyboard, in English and German: Enter on
# the language page goes on to the licence (Next is the default button),
# Escape asks whether to cancel, and Escape on that question keeps the
# wizard. Runs in a prefix of its own; screenshots of both pages per
# language stay in BUILD_DIR/wizard-keys-shots.
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

probe_out="$work/probe.txt"
control() { # TAG: "ID X Y W H VISIBLE ENABLED CHECKED TEXT" of the wizard's control
  rm -f "$probe_out"
  $WINE "$build/bin/control_probe.exe" "$(windows_path "$probe_out")" Kestrup "$1" >/dev/null 2>&1 || true
  [[ ! -f "$probe_out" ]] || tr -d '\r' <"$probe_out"
}
wait_field() { # TAG FIELD VALUE: up to 60 s
  for _ in $(seq 300); do
    [[ "$(awk -v f="$2" '{ print $f }' <<<"$(control "$1")")" == "$3" ]] && return 0
    sleep 0.2
  done
  return 1
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
  wineserver -k 2>/dev/null || true
  sleep 1
}

walk en ENU
walk de DEU
echo "kestrup_wizard_keys: passed (screenshots in $shots)"
