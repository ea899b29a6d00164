#!/usr/bin/env bash
# Configures (once) and builds one tree:
#   scripts/build.sh host|asan|win32|win64
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
tree=$1
case "$tree" in
  host)  args=() ;;
  asan)  args=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
               -DMOVARO_SANITIZE=ON -DMOVARO_FUZZ=ON) ;;
  win32) args=(--toolchain cmake/i686-w64-mingw32.cmake) ;;
  win64) args=(--toolchain cmake/x86_64-w64-mingw32.cmake) ;;
  *) echo "usage: $0 host|asan|win32|win64" >&2; exit 2 ;;
esac
if [[ ! -f build/$tree/build.ninja ]]; then
  cmake -S . -B "build/$tree" -G Ninja "${args[@]}" >/dev/null
fi
cmake --build "build/$tree"
