#!/usr/bin/env bash
# Installs, from Debian packages only, everything the build and the tests need,
# in two steps:
#   1. the packages every tree needs; a failure stops here and names what failed;
#   2. the 32-bit Wine (wine32:i386), an optional extra: without it the Windows
#      tests run from the 64-bit tree, so a failure is reported in one line and
#      the script goes on.
# Idempotent: when nothing is missing it prints nothing and never calls apt.
# apt-get update is retried a few times with a pause, since a mirror that is in
# the middle of a sync serves index files that do not match their release file
# for a while. INSTALL_DEPS_PAUSE sets that pause in seconds (default 20).
set -uo pipefail

required=(
  cmake ninja-build make ccache python3 gcovr g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  zlib1g-dev libz-mingw-w64-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  wine wine64
  xvfb xauth xdotool imagemagick x11-utils libstb-dev xxd
  fonts-liberation fonts-dejavu-core fonts-wine
  librsvg2-bin ffmpeg sox libstb-dev
  pkg-config libcpp-httplib-dev libsqlite3-dev libpqxx-dev libssl-dev openssl postgresql
)
optional32=(wine32:i386)
update_tries=3
pause=${INSTALL_DEPS_PAUSE:-20}

say() { echo "install-deps: $*"; }

missing_of() { # prints the packages of "$@" that are not fully installed
  local p status
  for p in "$@"; do
    # dpkg-query reports "install ok installed" only for fully installed packages.
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || echo "$p"
  done
}

# A kernel that cannot execute 32-bit programs cannot run 32-bit Wine either.
# /lib/ld-linux.so.2 comes with libc6-i386, which the compilers pull in; where
# it is missing nothing is known yet and the install is tried.
kernel_runs_32bit() {
  local ld=${INSTALL_DEPS_LD_LINUX:-/lib/ld-linux.so.2}
  [[ ! -e "$ld" ]] || "$ld" --version >/dev/null 2>&1
}

apt_update() { # retried: a mirror in sync settles within minutes
  local try
  for ((try = 1; try <= update_tries; try++)); do
    if apt-get update -qq >"$log" 2>&1; then return 0; fi
    if ((try < update_tries)); then
      say "apt-get update failed (try $try of $update_tries: $(last_error)); again in ${pause}s"
      sleep "$pause"
    fi
  done
  say "apt-get update still fails ($(last_error)); going on with the package lists there are"
  return 1
}

last_error() { grep -E '^(E|W): ' "$log" | head -n 1 | cut -c1-160; }

log=$(mktemp)
trap 'rm -f "$log"' EXIT
export DEBIAN_FRONTEND=noninteractive

mapfile -t need < <(missing_of "${required[@]}")
mapfile -t need32 < <(missing_of "${optional32[@]}")
if ((${#need32[@]} > 0)) && ! kernel_runs_32bit; then
  need32=() # of no use here: Windows tests run from the 64-bit tree
fi
((${#need[@]} + ${#need32[@]} == 0)) && exit 0

if [[ $(id -u) -ne 0 ]]; then
  say "missing packages (${need[*]} ${need32[*]}); run this script as root" >&2
  exit 1
fi

if ((${#need[@]} > 0)); then
  say "installing ${need[*]}"
  apt_update
  if ! apt-get install -y -qq --no-install-recommends "${need[@]}" >"$log" 2>&1; then
    say "FAILED to install the required packages ${need[*]}: $(last_error)" >&2
    exit 1
  fi
  mapfile -t still < <(missing_of "${need[@]}")
  if ((${#still[@]} > 0)); then
    say "FAILED: still not installed: ${still[*]}" >&2
    exit 1
  fi
  say "required packages installed"
  # The compilers may just have brought /lib/ld-linux.so.2: ask the kernel again.
  kernel_runs_32bit || need32=()
fi

if ((${#need32[@]} > 0)); then
  say "installing the 32-bit Wine (${need32[*]})"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt_update
  if apt-get install -y -qq --no-install-recommends "${need32[@]}" >"$log" 2>&1 \
     && (($(missing_of "${need32[@]}" | wc -l) == 0)); then
    say "32-bit Wine installed"
  else
    say "32-bit Wine not installed ($(last_error)); Windows tests will run from the 64-bit tree"
  fi
fi
exit 0
