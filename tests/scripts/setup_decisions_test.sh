#!/usr/bin/env bash
# Decisions of the set-up scripts, with apt-get, dpkg, dpkg-query, id and the
# Wine probe replaced by stubs: scripts/install-deps.sh (required part stops on
# failure, 32-bit Wine is optional, apt-get update is retried) and
# scripts/windows-test-tree.sh (which tree the Windows tests run from).
set -uo pipefail
src=$(cd "${1:?usage: setup_decisions_test.sh SOURCE_DIR}" && pwd)
# A tree forced for the whole run (make test with MOVARO_WINDOWS_TREE) is not
# what the probe cases decide on: only the case that forces one sets it.
unset MOVARO_WINDOWS_TREE
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

stubs=$work/bin
mkdir -p "$stubs"
cat >"$stubs/dpkg-query" <<'STUB'
#!/bin/bash
grep -qx "${@: -1}" "$STATE/installed" 2>/dev/null && printf 'install ok installed'
exit 0
STUB
cat >"$stubs/apt-get" <<'STUB'
#!/bin/bash
echo "apt-get $*" >>"$STATE/calls"
if [[ " $* " == *" update "* ]]; then
  n=$(cat "$STATE/update_failures" 2>/dev/null || echo 0)
  if ((n > 0)); then
    echo $((n - 1)) >"$STATE/update_failures"
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size. Mirror sync in progress?"
    exit 100
  fi
  exit 0
fi
for p in "$@"; do
  [[ "$p" == -* || "$p" == install ]] && continue
  if grep -qx "$p" "$STATE/broken" 2>/dev/null; then
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
  fi
done
for p in "$@"; do [[ "$p" == -* || "$p" == install ]] || echo "$p" >>"$STATE/installed"; done
STUB
printf '#!/bin/bash\necho "dpkg $*" >>"$STATE/calls"\n' >"$stubs/dpkg"
printf '#!/bin/bash\necho 0\n' >"$stubs/id"
printf '#!/bin/bash\nexit 0\n' >"$work/ld-32bit-ok"
printf '#!/bin/bash\nexit 126\n' >"$work/ld-32bit-refused"
chmod +x "$stubs"/* "$work"/ld-*

required=$(sed -n '/^required=(/,/^)/p' "$src/scripts/install-deps.sh" | sed '1d;$d' | xargs -n1)

run_install() { # state name, ld-linux stub; sets $out and $rc
  export STATE=$work/$1
  out=$(PATH="$stubs:$PATH" INSTALL_DEPS_PAUSE=0 INSTALL_DEPS_LD_LINUX="$work/$2" \
        bash "$src/scripts/install-deps.sh" 2>&1)
  rc=$?
}
fresh() { mkdir -p "$work/$1"; : >"$work/$1/installed"; }

# Nothing missing: silent, apt never called.
fresh done; echo "$required" >"$work/done/installed"; echo wine32:i386 >>"$work/done/installed"
run_install done ld-32bit-ok
check "nothing missing: exit 0, silent, no apt" test "$rc:$out:$(cat "$work/done/calls" 2>/dev/null)" == "0::"

# A required package cannot be installed: stop, naming it.
fresh broken; echo xdotool >"$work/broken/broken"
run_install broken ld-32bit-ok
check "required part fails: exit 1" test "$rc" -eq 1
check "required part fails: names the package" grep -q 'FAILED to install.*xdotool' <<<"$out"
check "required part fails: 32-bit Wine not tried" bash -c "! grep -q wine32 '$work/broken/calls'"

# The 32-bit Wine cannot be installed: one line, goes on.
fresh no32; echo wine32:i386 >"$work/no32/broken"
run_install no32 ld-32bit-ok
check "32-bit part fails: exit 0" test "$rc" -eq 0
check "32-bit part fails: says the 64-bit tree runs the tests" \
  test "$(grep -c 'Windows tests will run from the 64-bit tree' <<<"$out")" -eq 1
check "32-bit part fails: i386 added before its update" grep -q 'dpkg --add-architecture i386' "$work/no32/calls"

# apt-get update fails twice (mirror in sync), then works: retried, installed.
fresh retry; echo 2 >"$work/retry/update_failures"
run_install retry ld-32bit-ok
check "update retried: exit 0" test "$rc" -eq 0
check "update retried: two retry notes" test "$(grep -c 'apt-get update failed (try' <<<"$out")" -eq 2
check "update retried: everything installed" grep -qx 'wine32:i386' "$work/retry/installed"

# A kernel without 32-bit support: the 32-bit Wine is never asked for.
fresh no32kernel
run_install no32kernel ld-32bit-refused
check "no 32-bit kernel: wine32 not tried" bash -c "! grep -q wine32 '$work/no32kernel/calls'"

# The Windows test tree follows what the probe really does.
tree() { # probe wine exit code -> chosen tree
  printf '#!/bin/bash\nexit %s\n' "$1" >"$work/wine-$1"
  printf '#!/bin/bash\nwhile [[ $# -gt 1 ]]; do [[ $1 == -o ]] && touch "$2"; shift; done\n' >"$work/cc"
  chmod +x "$work/wine-$1" "$work/cc"
  rm -rf "$work/probe"
  MOVARO_PROBE_DIR="$work/probe" MOVARO_PROBE_CC="$work/cc" MOVARO_PROBE_WINE="$work/wine-$1" \
    bash "$src/scripts/windows-test-tree.sh" | head -n 1
}
check "probe exits 42: win32" test "$(tree 42)" == win32
check "probe fails: win64" test "$(tree 1)" == win64
check "forced tree wins" test "$(MOVARO_WINDOWS_TREE=win64 MOVARO_PROBE_WINE="$work/wine-42" \
  bash "$src/scripts/windows-test-tree.sh" --why | xargs)" == "win64 forced by MOVARO_WINDOWS_TREE"

echo "$failures failure(s)"
((failures == 0))
