#!/usr/bin/env bash
# Checks the layering of src/ by its #include lines:
#   scripts/check-includes.sh [SRC_DIR]
# Floors, lowest first; a file may include its own floor and those below:
#   base < platform < data < ui | protocol < apps < sim, authoring
# ui and protocol stand side by side and do not include each other. The apps
# (movaro, kestrup, hook, netclient, cleanup, server) are peers. Besides the floor
# order, nothing that ships may include platform/headless/ (the doubles are for
# tests, tools, benchmarks and simulators), only the Windows folders (any win32/,
# hook/, netclient/, cleanup/) may include Windows headers or another win32/
# folder's headers, and every folder directly under src/ must have a floor here.
# Prints one line per fault and exits 1 when there is any.
set -uo pipefail

src=${1:-$(dirname "$(readlink -f "$0")")/../src}
src=$(cd "$src" && pwd) || exit 2

# Sets floor to the floor of a top-level folder; empty for a folder without one.
floor_of() {
  case $1 in
    base) floor=0 ;;
    platform) floor=1 ;;
    data) floor=2 ;;
    ui | protocol) floor=3 ;;
    movaro | kestrup | hook | netclient | cleanup | server) floor=4 ;;
    sim | authoring) floor=5 ;;
    *) floor= ;;
  esac
}

# Where a path below src/ may use the Windows API.
is_windows_folder() {
  [[ /$1 == */win32/* || $1 == hook/* || $1 == netclient/* || $1 == cleanup/* ]]
}

# Code that never ships, so it may use the headless doubles.
may_use_headless() {
  [[ $1 == platform/headless/* || $1 == sim/* || $1 == authoring/* ]]
}

windows_header='^(windows|win[a-z0-9_]*|ws2[a-z0-9_]*|mswsock|commctrl|commdlg|shlobj|shobjidl|shellapi|shlwapi|objbase|objidl|ole2|oleauto|olectl|ocidl|mmsystem|richedit|tlhelp32|psapi|iphlpapi|wininet|dbghelp|uxtheme|gdiplus|intshcut|lmcons)\.h$'

faults=0
fault() {
  echo "$1"
  faults=$((faults + 1))
}

for dir in "$src"/*/; do
  name=$(basename "$dir")
  floor_of "$name"
  [[ -n $floor ]] || fault "src/$name/: a folder without a floor (add it to scripts/check-includes.sh)"
done

include_line='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"]'
while IFS= read -r -d '' file; do
  rel=${file#"$src"/}
  own_top=${rel%%/*}
  floor_of "$own_top"
  own_floor=$floor
  [[ -n $own_floor ]] || continue # reported above
  lineno=0
  while IFS= read -r line || [[ -n $line ]]; do
    lineno=$((lineno + 1))
    [[ $line =~ $include_line ]] || continue
    quote=${BASH_REMATCH[1]}
    target=${BASH_REMATCH[2]}
    [[ $quote == "<" ]] && where="src/$rel:$lineno: <$target>" || where="src/$rel:$lineno: \"$target\""

    if [[ $quote == "<" ]]; then
      lower=${target,,}
      if [[ ${lower##*/} =~ $windows_header ]] && ! is_windows_folder "$rel"; then
        fault "$where: a Windows header outside the Windows folders"
      fi
      continue
    fi

    # Quoted includes resolve beside the file first, then from src/.
    beside=${rel%/*}/$target
    if [[ -e $src/$beside ]]; then
      resolved=$beside
      [[ $target == *..* ]] && resolved=$(realpath -m --relative-to="$src" "$src/$beside")
    else
      resolved=$target
    fi
    target_top=${resolved%%/*}
    floor_of "$target_top"
    target_floor=$floor
    if [[ -z $target_floor ]]; then
      [[ $resolved == */* ]] && fault "$where: not a header of any floor"
      continue
    fi

    if [[ $resolved == platform/headless/* ]] && ! may_use_headless "$rel"; then
      fault "$where: a headless double included from code that ships"
    elif ((target_floor > own_floor)); then
      fault "$where: $target_top/ is a floor above $own_top/"
    elif ((target_floor == 3 && own_floor == 3)) && [[ $target_top != "$own_top" ]]; then
      fault "$where: ui/ and protocol/ do not include each other"
    fi
    if [[ /$resolved == */win32/* ]] && ! is_windows_folder "$rel"; then
      fault "$where: a Windows implementation included from portable code"
    fi
  done <"$file"
done < <(find "$src" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' -o -name '*.inc' -o -name '*.rc' \) -print0 | sort -z)

if ((faults > 0)); then
  echo "$faults include fault(s)"
  exit 1
fi
echo "includes keep to the floors"
