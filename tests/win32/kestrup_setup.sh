#!/usr/bin/env bash
# The product's real setup file under Wine, run without the wizard as an
# administrator's script would: a silent install (files, uninstall entry,
# shortcut), a second run over it, one that fails and is rolled back, a
# damaged copy refused without touching
# what is installed, a signed copy accepted, the silent uninstall the entry
# names (the last product, so the installer goes too), and the exit codes.
# Runs in a prefix of its own, so the other tests' prefix never holds the
# product.
#   kestrup_setup.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
tree=$(basename "$build")
work=$(mktemp -d "$build/setup-test.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
source "$src/scripts/wine-env.sh" "$build"
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$HOME"

(cd "$src" && scripts/build-setup.sh "$tree") >/dev/null
setup="$build/Setup.exe"
$WINE cmd /c exit >/dev/null 2>&1 || true

fail() { echo "FAIL: $*" >&2; exit 1; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Movaro'
entry="" # the uninstall entry as the system's reg tool listed it after the last run
run() { # expected exit code, then the program and its arguments
  local expected=$1 code=0
  shift
  $WINE "$@" >/dev/null 2>&1 || code=$?
  echo "$(basename "$1") ${*:2}: exit $code"
  [[ "$code" == "$expected" ]] || fail "expected exit $expected"
  entry=$($WINE reg query "$key" 2>/dev/null | tr -d '\r' || true)
}
value() { # the data of an uninstall entry's value, or nothing
  awk -v n="$1" '$1 == n { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }' <<<"$entry"
}
unix_path() { winepath -u "$1" 2>/dev/null; }

# The installer's folder prepared by another user before the first install:
# open to everyone, with a program of theirs in it. Wine makes a file's
# access list from its Unix permissions, so "everyone may write" is the
# world's write bit. The install gives both to the administrators.
installer=$(unix_path 'C:\ProgramData')/Veltrin/Kestrup
mkdir -p "$installer"
echo "another user's program" >"$installer/KestrupEx.exe"
chmod 0777 "$installer" && chmod 0666 "$installer/KestrupEx.exe"
run 0 "$setup" /silent
tr -d '\r' <"$installer/Kestrup.log" | grep -q "Access list of .*Veltrin.Kestrup. corrected" ||
  fail "the install did not correct the installer folder's access list"
! grep -q "another user's" "$installer/KestrupEx.exe" || fail "the other user's program was kept"
for path in "$installer" "$installer/KestrupEx.exe" "$installer/Kestrup.exe"; do
  [[ $(( 0$(stat -c %a "$path") & 02 )) == 0 ]] || fail "others may still write $path"
done
folder=$(value InstallDir)
[[ -n "$folder" ]] || fail "no uninstall entry after the install"
program=$(unix_path "${folder}Movaro.exe")
[[ -f "$program" ]] || fail "Movaro.exe not installed in $folder"
for name in DisplayName UninstallString QuietUninstallString DisplayIcon DisplayVersion Publisher \
            InstallLocation EstimatedSize NoModify NoRepair ProgramGroup ProgramVersionNumber; do
  [[ -n "$(value "$name")" ]] || fail "uninstall value $name missing"
done
[[ "$(value DisplayName)" == "Movaro 3.0 release 2" ]] || fail "DisplayName is '$(value DisplayName)'"
(($(value EstimatedSize) > 1000)) || fail "EstimatedSize $(value EstimatedSize) KB is too small"

# The program group's shortcut starts the installed program.
group=$(unix_path "$(value ProgramGroup)")
link=$(find "$group" -maxdepth 1 -iname 'Movaro.lnk' | head -1)
[[ -n "$link" ]] || fail "no shortcut Movaro.lnk in $group"
# The link's target path is stored as ANSI and, in newer links, as UTF-16 too.
{ strings -a "$link"; strings -a -el "$link"; } >"$work/link.txt"
grep -qi 'Movaro\.exe' "$work/link.txt" || { cat "$work/link.txt"; fail "the shortcut does not point at Movaro.exe"; }

# A second run installs over the first.
run 0 "$setup" /silent

# A run that cannot write a program file (a folder stands where Readme.txt
# goes) rolls back: the older Movaro.exe it had already replaced is back
# byte for byte, and no new copy, backup or journal is left.
dir=$(dirname "$program")
printf 'an older program' >"$work/older.exe"
cp "$work/older.exe" "$program"
touch -d 2001-01-01 "$program"
rm -f "$dir/Readme.txt" && mkdir "$dir/Readme.txt"
run 11 "$setup" /silent
cmp -s "$program" "$work/older.exe" || fail "the rolled-back run did not bring the old Movaro.exe back"
[[ -z "$(find "$dir" -name '*.~old' -o -name '*.~new')" ]] || fail "a backup or new copy was left: $(find "$dir" -name '*.~*')"
[[ ! -e "$installer/Kestrup.jnl" ]] || fail "the journal was left behind"
tr -d '\r' <"$installer/Kestrup.log" | grep -q "The previous version was restored" ||
  fail "the log does not say the previous version was restored"
rmdir "$dir/Readme.txt"
run 0 "$setup" /silent
! cmp -s "$program" "$work/older.exe" || fail "the next run did not install Movaro.exe again"

# A copy with one byte changed in a member: refused, the installed program untouched.
before=$(stat -c %Y "$program")
cp "$setup" "$work/damaged.exe"
size=$(stat -c %s "$setup")
printf '\x5a' | dd of="$work/damaged.exe" bs=1 seek=$((size * 3 / 4)) conv=notrunc status=none
sleep 1
run 7 "$work/damaged.exe" /silent
[[ "$(stat -c %Y "$program")" == "$before" ]] || fail "a damaged setup file changed the installed program"

# A copy signed with a certificate (the signature's table follows the archive).
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Setup test" \
  -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -in "$setup" -out "$work/signed.exe" >/dev/null
run 0 "$work/signed.exe" /silent

# The silent uninstall the entry names, then once more with nothing installed.
quiet=$(value QuietUninstallString)
script=$(sed -E 's/^"[^"]*" "uninstall" "([^"]*)".*/\1/' <<<"$quiet")
uninstaller=$(sed -E 's/^"([^"]*)".*/\1/' <<<"$quiet")
run 0 "$(unix_path "$uninstaller")" uninstall "$script" /silent
[[ ! -f "$program" ]] || fail "Movaro.exe still there after the uninstall"
[[ -z "$(value InstallDir)" ]] || fail "the uninstall entry is still there"
[[ ! -e "$link" ]] || fail "the shortcut is still there"
# It was the last product: the installer's own folder goes with it.
[[ ! -e "$(unix_path "$uninstaller")" ]] || fail "the uninstaller is still there"
# The clean-up program ran from a new folder of the user's own temporary
# folder, not from the Windows folder's Temp that every user may write.
temp=$(unix_path "$($WINE cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")
[[ -f "$temp/KestrupEx1/KestrupEx.exe" ]] ||
  fail "no clean-up copy in the user's temporary folder"
[[ ! -e "$(unix_path 'C:\windows\temp')/KestrupEx.exe" ]] || fail "a clean-up copy in the Windows folder's Temp"
[[ ! -d "$(unix_path "$folder")" ]] || fail "the program folder is still there"
echo "kestrup_setup: passed"
