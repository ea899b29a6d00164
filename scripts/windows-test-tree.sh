#!/usr/bin/env bash
# Prints the build tree whose Windows tests run here, win32 or win64, and with
# --why also the reason on a second line.
#
# win32 only when a 32-bit Windows probe program really starts under the
# installed Wine and exits with the code it was built to return; otherwise
# win64, the same sources built for 64-bit Windows. (Wine 8 runs a 32-bit
# Windows program only in a 32-bit Linux process: that needs both the wine32
# package and a kernel that executes 32-bit programs.)
# MOVARO_WINDOWS_TREE=win32|win64 forces the choice.
set -uo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

choose() {
  if [[ -n "${MOVARO_WINDOWS_TREE:-}" ]]; then
    case "$MOVARO_WINDOWS_TREE" in
      win32|win64) echo "$MOVARO_WINDOWS_TREE"; echo "forced by MOVARO_WINDOWS_TREE"; return ;;
      *) echo win64; echo "MOVARO_WINDOWS_TREE=$MOVARO_WINDOWS_TREE is neither win32 nor win64"; return ;;
    esac
  fi
  local dir=${MOVARO_PROBE_DIR:-build/probe32}
  local cc=${MOVARO_PROBE_CC:-i686-w64-mingw32-gcc}
  local wine=${MOVARO_PROBE_WINE:-wine}
  if ! command -v "$wine" >/dev/null 2>&1; then
    echo win64; echo "no Wine installed"; return
  fi
  mkdir -p "$dir"
  if [[ ! -f "$dir/probe.exe" ]]; then
    printf 'int main(void) { return 42; }\n' >"$dir/probe.c"
    if ! "$cc" -O1 -o "$dir/probe.exe" "$dir/probe.c" >/dev/null 2>&1; then
      echo win64; echo "the 32-bit probe could not be built with $cc"; return
    fi
  fi
  local rc
  WINEPREFIX="$PWD/$dir/wineprefix" HOME="$PWD/$dir/home" WINEDEBUG=-all \
    WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=" DISPLAY= \
    timeout 120 "$wine" "$dir/probe.exe" >/dev/null 2>&1
  rc=$?
  if ((rc == 42)); then
    echo win32; echo "a 32-bit Windows probe runs under Wine"
  else
    echo win64; echo "a 32-bit Windows probe does not run under Wine (exit code $rc: no wine32, or a kernel without 32-bit support)"
  fi
}

mapfile -t answer < <(choose)
echo "${answer[0]}"
[[ "${1:-}" == --why ]] && echo "${answer[1]}"
exit 0
