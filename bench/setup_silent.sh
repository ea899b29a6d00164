#!/usr/bin/env bash
# Cost of installing: the wall time of a silent install of the real setup
# file under Wine (fresh prefix each run, Wine's own start-up measured apart
# and subtracted), against plain extraction of the same archive by the host
# archiver; and the size of the setup stub (Kestrup.exe alone, stripped).
#   bench/setup_silent.sh [RUNS] [TREE]        (TREE: win64 by default)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
runs=${1:-3} tree=${2:-win64}
build=build/$tree
scripts/build-setup.sh "$tree" >/dev/null
source scripts/wine-env.sh "$build"
work=$(mktemp -d "$PWD/$build/bench-setup.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$HOME"
$WINE cmd /c exit >/dev/null 2>&1 || true

ms() { date +%s%3N; }
for run in $(seq "$runs"); do
  start=$(ms); $WINE cmd /c exit >/dev/null 2>&1; wine_ms=$(($(ms) - start))
  start=$(ms); $WINE "$build/Setup.exe" /silent >/dev/null 2>&1; install_ms=$(($(ms) - start))
  $WINE reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Movaro' /f >/dev/null 2>&1
  rm -rf "$WINEPREFIX/drive_c/Program Files/Veltrin" "$WINEPREFIX/drive_c/ProgramData/Veltrin"
  rm -rf "$work/extract"
  start=$(ms); build/host/tools/archiver extract "$build/Setup.exe" "$work/extract" >/dev/null; extract_ms=$(($(ms) - start))
  echo "run $run: silent install ${install_ms} ms (Wine start alone ${wine_ms} ms), plain extraction ${extract_ms} ms"
done
echo "setup file $(stat -c %s "$build/Setup.exe") bytes; stub Kestrup.exe $(stat -c %s "$build/setup/programs/Kestrup.exe") bytes ($tree)"
