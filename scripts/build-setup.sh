#!/usr/bin/env bash
# Assembles the product's setup file build/TREE/Setup.exe: the tree's
# Kestrup.exe, then every file content/kestrup/setup-files.txt names, from the
# tree's programs or the built content, and the manifest of their digests.
# The programs go in without their debugging information.
#   scripts/build-setup.sh win32|win64          (after building host and TREE)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
tree=$1
bin=build/$tree/bin content=build/host/content
work=build/$tree/setup
mkdir -p "$work/programs"
list=$work/files.txt
case "$tree" in
  win32) strip=i686-w64-mingw32-strip ;;
  *) strip=x86_64-w64-mingw32-strip ;;
esac
stripped() { # a program of the tree, copied without its debugging information
  "$strip" -o "$work/programs/$1" "$bin/$1"
  echo "$PWD/$work/programs/$1"
}
: >"$list"
while read -r name; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  found=""
  for dir in "$bin" "$content" "$content/Av"; do
    if [[ -f "$dir/$name" ]]; then
      if [[ "$dir" == "$bin" ]]; then found=$(stripped "$name"); else found=$PWD/$dir/$name; fi
      break
    fi
  done
  [[ -n "$found" ]] || { echo "setup: $name is in neither $bin nor $content" >&2; exit 1; }
  echo "$found" >>"$list"
done <content/kestrup/setup-files.txt
build/host/tools/archiver setup "build/$tree/Setup.exe" "$(stripped Kestrup.exe)" "@$list"
echo "setup: build/$tree/Setup.exe, $(stat -c %s "build/$tree/Setup.exe") bytes; Kestrup.exe alone $(stat -c %s "$work/programs/Kestrup.exe") bytes"
