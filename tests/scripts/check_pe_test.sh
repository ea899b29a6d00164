#!/usr/bin/env bash
# scripts/check-pe.sh passes the shipped programs of a 32-bit tree and catches
# the faults only a 32-bit build has: a decorated export, a MinGW runtime DLL,
# a function Windows XP lacks.
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
((failures == 0)) || echo "$out"
exit $((failures > 0))
