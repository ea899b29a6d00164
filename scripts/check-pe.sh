#!/usr/bin/env bash
# Static check of the shipped Windows programs, run on every machine (no Wine
# needed), so that a fault only the 32-bit build has is caught even where only
# the 64-bit tree's tests can run:
#   scripts/check-pe.sh BIN_DIR
# Each shipped file must be a 32-bit PE whose subsystem and OS versions a
# Windows XP loader accepts (at most 5.1), import only from DLLs that Windows
# XP has or from the product's own DLLs (no MinGW runtime DLL), import no
# function XP lacks (scripts/pe/xp-missing.txt), and a DLL must export exactly
# the undecorated names the programs look up; each program must carry its
# application manifest, in a form Windows XP accepts (scripts/pe/manifest.py),
# and import directly only from the system's known libraries, which the loader
# never looks for in the program's folder (the others are imported late, from
# the system folder: cmake/DelayLoad.cmake), each late import's slot starting
# out at its loading stub (scripts/pe/late_imports.py).
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
bin=${1:?usage: check-pe.sh BIN_DIR}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

# Shipped file -> the exports it must have, exactly ("-" for none checked: an
# executable's exports do not matter).
declare -A shipped=(
  [Movaro.exe]=-
  [Kestrup.exe]=-
  [KestrupEx.exe]=-
  [Movaro.dll]="StartHook StopHook"
  [MVRClient.dll]="OpenMVRNetService Connected Post CloseMVRNetService"
)
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll crypt32.dll gdi32.dll imm32.dll kernel32.dll
  msimg32.dll msvcrt.dll ole32.dll oleaut32.dll riched20.dll rpcrt4.dll shell32.dll
  secur32.dll shlwapi.dll user32.dll version.dll winmm.dll winspool.drv ws2_32.dll wsock32.dll "
own_dlls=" movaro.dll mvrclient.dll "
# The known libraries of Windows 10 and 11 among those the programs use.
known_dlls=" advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll rpcrt4.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll "
known_dlls=$(echo " $known_dlls " | tr -s " \n" "  ")
system_dlls=$(echo " $system_dlls " | tr -s " \n" "  ")

failures=0
fail() { echo "check-pe: $1: $2"; failures=$((failures + 1)); }

for name in $(printf '%s\n' "${!shipped[@]}" | sort); do
  file=$bin/$name
  if [[ ! -f "$file" ]]; then fail "$name" "missing from $bin"; continue; fi
  dump=$("$objdump" -p "$file" 2>&1) || { fail "$name" "not a PE file: $dump"; continue; }
  grep -q 'file format pei-i386' <<<"$dump" || fail "$name" "not a 32-bit (pei-i386) program"

  for field in OSystem Subsystem; do
    major=$(awk -v f="Major${field}Version" '$1 == f {print $2}' <<<"$dump")
    minor=$(awk -v f="Minor${field}Version" '$1 == f {print $2}' <<<"$dump")
    if [[ -z "$major" ]] || ((major * 100 + minor > 501)); then
      fail "$name" "${field} version ${major:-?}.${minor:-?} is newer than Windows XP (5.1)"
    fi
  done

  # "DLL function" pairs of the import table, DLL names in lower case.
  imports=$(awk '
    /^\tDLL Name: / { dll = tolower($3); print dll; next }
    dll != "" && /^\t[0-9a-f]+\t/ { print dll, $3 }
    /^$/ { }' <<<"$dump")
  while read -r dll; do
    [[ "$system_dlls$own_dlls" == *" $dll "* ]] || fail "$name" "imports $dll, which Windows XP does not have"
    if [[ "$name" == *.exe && "$system_dlls" == *" $dll "* && "$known_dlls" != *" $dll "* ]]; then
      fail "$name" "imports $dll directly, which is no known library: import it late"
    fi
  done < <(awk 'NF == 1' <<<"$imports")
  while read -r dll func; do
    if [[ "$dll" == msvcrt.dll && "$func" == *_s ]] ||
       grep -qix "$dll $func" "$here/pe/xp-missing.txt"; then
      fail "$name" "imports $func from $dll, which Windows XP lacks"
    fi
  done < <(awk 'NF == 2' <<<"$imports")

  expected=${shipped[$name]}
  if [[ "$name" == *.exe ]]; then
    while read -r problem; do
      fail "$name" "$problem"
    done < <(python3 "$here/pe/manifest.py" "$file" x86)
    while read -r problem; do
      fail "$name" "$problem"
    done < <(python3 "$here/pe/late_imports.py" "$file" comctl32.dll comdlg32.dll winmm.dll)
  fi
  if [[ "$expected" != - ]]; then
    actual=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {t = 1; next}
                  t && /^\t\[/ {print $3; next} t {t = 0}' <<<"$dump" | sort | xargs)
    want=$(tr ' ' '\n' <<<"$expected" | sed '/^$/d' | sort | xargs)
    [[ "$actual" == "$want" ]] || fail "$name" "exports [$actual], expected exactly [$want]"
  fi
done

if ((failures > 0)); then
  echo "check-pe: $failures problem(s) in $bin"
  exit 1
fi
echo "check-pe: ${#shipped[@]} shipped files in $bin are 32-bit, fit Windows XP, export what is looked up and the programs carry their manifests"
