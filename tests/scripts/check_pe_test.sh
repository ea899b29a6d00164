#!/usr/bin/env bash
# scripts/check-pe.sh passes the shipped programs of a 32-bit tree and catches
# the faults only a 32-bit build has: a decorated export, a MinGW runtime DLL,
# a function Windows XP lacks, a missing manifest or one Windows XP refuses,
# a late import whose slot starts out empty.
#   check_pe_test.sh SOURCE_DIR BIN_DIR
set -uo pipefail
src=$1 bin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { local what=$1; shift; if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi; }

out=$(bash "$src/scripts/check-pe.sh" "$bin" 2>&1)
check "shipped programs pass: $out" test $? -eq 0

# A hook library built the wrong way: stdcall exports without --kill-at, the
# C runtime as a DLL, a post-XP call.
cp "$bin"/*.exe "$bin"/*.dll "$work/"
cat >"$work/bad.c" <<'C'
#include <windows.h>
__declspec(dllexport) int __stdcall StartHook(int type, HWND w) { return type + (int)GetTickCount64(); }
__declspec(dllexport) int __stdcall StopHook(int type) { return type; }
C
i686-w64-mingw32-gcc -shared -shared-libgcc -o "$work/Movaro.dll" "$work/bad.c" 2>"$work/cc.log" \
  || { cat "$work/cc.log"; exit 1; }
out=$(bash "$src/scripts/check-pe.sh" "$work" 2>&1)
check "bad library refused" test $? -ne 0
check "decorated exports named" grep -q 'Movaro.dll: exports \[StartHook@8 StopHook@4\]' <<<"$out"
check "post-XP import named" grep -q 'Movaro.dll: imports GetTickCount64' <<<"$out"
check "runtime DLL named" grep -q 'Movaro.dll: imports libgcc_s' <<<"$out"

# Programs without their manifest and importing a library that is no known
# one directly, with a manifest XP refuses (trustInfo in the assembly's own
# namespace) and with one that is no XML at all.
echo '#include <windows.h>
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) { return 0; }' >"$work/plain.c"
echo '#include <windows.h>
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) { return (int)timeGetTime(); }' >"$work/timed.c"
i686-w64-mingw32-gcc -o "$work/KestrupEx.exe" "$work/timed.c" -lwinmm 2>>"$work/cc.log" || { cat "$work/cc.log"; exit 1; }
manifested() { # NAME MANIFEST_TEXT
  printf '%s' "$2" >"$work/$1.manifest"
  echo "1 24 \"$work/$1.manifest\"" >"$work/$1.rc"
  i686-w64-mingw32-windres "$work/$1.rc" -O coff -o "$work/$1.res" &&
    i686-w64-mingw32-gcc -o "$work/$1" "$work/plain.c" "$work/$1.res"
}
good=$(sed -n '/^<?xml/,$p' "$src/resources/manifests/manifest.xml.in" | sed 's/@ARCH@/x86/; s/@[A-Z]*@/X/g')
manifested Kestrup.exe "$(sed 's|<trustInfo xmlns="[^"]*">|<trustInfo>|' <<<"$good")" &&
  manifested Movaro.exe "${good%</assembly>*}" || { echo "cannot build the probes"; exit 1; }
# The common controls imported late but called through dllimport
# declarations: the 32-bit linker drops the loading stubs and leaves the
# slots empty.
echo '#include <windows.h>
#include <commctrl.h>
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) { return InitCommonControlsEx(0); }' >"$work/late.c"
i686-w64-mingw32-gcc -o "$work/late.exe" "$work/late.c" "$bin/../delay-imports/libcomctl32_delay.a" 2>>"$work/cc.log" ||
  { cat "$work/cc.log"; exit 1; }
out=$(python3 "$src/scripts/pe/late_imports.py" "$work/late.exe" comctl32.dll 2>&1)
check "empty late-import slot named" grep -q 'late import InitCommonControlsEx of comctl32.dll starts out at 0x0' <<<"$out"

out=$(bash "$src/scripts/check-pe.sh" "$work" 2>&1)
check "missing manifest named" grep -q 'KestrupEx.exe: carries no manifest' <<<"$out"
check "direct import of an unknown library named" grep -qi 'KestrupEx.exe: imports winmm.dll directly' <<<"$out"
check "XP-refused manifest named" grep -q 'Kestrup.exe: <trustInfo> in the assembly namespace' <<<"$out"
check "broken manifest named" grep -q 'Movaro.exe: manifest is not well-formed' <<<"$out"
((failures == 0)) || echo "$out"
exit $((failures > 0))
