#!/usr/bin/env bash
# A setup started from a downloads folder into which a web page has dropped
# libraries under the names of system libraries the installer uses: neither
# the silent install nor the wizard may load them. Wine is told to prefer a
# library's own copy to its built-in one for those names, as Windows would
# search; each planted library writes a marker beside itself when loaded.
# Only the libraries the installer itself names are planted: Wine's own
# built-in libraries import others (version, msimg32) by a search of their
# own that starts in the program's folder, where on Windows the system's
# known libraries import only known ones.
#   kestrup_planted_library.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
tree=$(basename "$build")
work=$(mktemp -d "$build/planted-test.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
source "$src/scripts/wine-env.sh" "$build"
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$HOME" "$work/downloads"
fail() { echo "FAIL: $*" >&2; exit 1; }

case "$tree" in
  win64) cc=x86_64-w64-mingw32-gcc ;;
  *) cc=i686-w64-mingw32-gcc ;;
esac
cat >"$work/planted.c" <<'C'
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID unused) {
  char path[MAX_PATH + 8];
  DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  if (reason == DLL_PROCESS_ATTACH && n > 0) {
    lstrcpyA(path + n, ".loaded");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
  }
  return TRUE;
}
C
$cc -shared -o "$work/planted.dll" "$work/planted.c"
planted=(riched20 comctl32 comdlg32)
for name in "${planted[@]}"; do cp "$work/planted.dll" "$work/downloads/$name.dll"; done
(cd "$src" && scripts/build-setup.sh "$tree") >/dev/null
cp "$build/Setup.exe" "$work/downloads/Setup.exe"
$WINE cmd /c exit >/dev/null 2>&1 || true
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(IFS=,; echo "${planted[*]}")=n,b"

markers() { find "$work/downloads" -name '*.loaded' -printf '%f ' ; }

# The wizard: started from the downloads folder, its first page shown, closed.
(cd "$work/downloads" && $WINE Setup.exe >/dev/null 2>&1) &
wizard=$!
next_shown() { # the wizard's Next button (tag 200) is visible
  $WINE "$build/bin/control_probe.exe" "$(windows_path "$work/probe.txt")" Kestrup 200 >/dev/null 2>&1 &&
    [[ "$(awk '{print $6}' "$work/probe.txt")" == 1 ]]
}
until=$((SECONDS + 120))
until next_shown || ((SECONDS > until)); do sleep 0.5; done
((SECONDS <= until)) || fail "the wizard never showed its first page"
[[ -z "$(markers)" ]] || fail "the wizard loaded planted libraries: $(markers)"
wine_stop
wait "$wizard" 2>/dev/null || true
echo "wizard: no planted library loaded"

code=0
(cd "$work/downloads" && $WINE Setup.exe /silent >/dev/null 2>&1) || code=$?
[[ "$code" == 0 ]] || fail "the silent install ended with $code"
[[ -z "$(markers)" ]] || fail "the silent install loaded planted libraries: $(markers)"
echo "silent install: exit 0, no planted library loaded"
