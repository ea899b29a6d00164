#!/usr/bin/env bash
# Prepares the private Wine prefix of a build tree once: fonts, Verdana
# replacement, no audio driver, no menu builder, no crash dialog. Later calls return at once.
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
source "$here/wine-env.sh" "$1"
stamp="$WINEPREFIX/.movaro-prepared"
[[ -f "$stamp" ]] && exit 0

exec 9>"$wine_build_dir/.wineprefix.lock"
flock 9
[[ -f "$stamp" ]] && exit 0

prepare() {
  $WINE cmd /c exit >/dev/null 2>&1 || true
  # Debian's Wine does not copy its own fonts into a new prefix: without them
  # there is no Tahoma, Marlett or MS Sans Serif.
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  $WINE reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d 'DejaVu Sans' /f >/dev/null 2>&1 || true
  $WINE reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1 || true
  # A program that crashes ends with a backtrace on the console instead of
  # waiting in the debugger's dialog: a test then fails at once, not at its timeout.
  $WINE reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  wineserver -w
}
if [[ -z "${DISPLAY:-}" ]]; then
  exec 9>&- # the run under the X server takes the lock itself
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
echo "wine-prefix: preparing $WINEPREFIX" >&2
prepare
touch "$stamp"
