#!/usr/bin/env bash
# Installs, from Debian packages only, everything the build and the tests need.
# Idempotent: when every package is already present it prints nothing and never calls apt.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  zlib1g-dev libz-mingw-w64-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  wine wine64 wine32:i386
  xvfb xauth xdotool imagemagick x11-utils
  fonts-liberation fonts-dejavu-core fonts-wine
  librsvg2-bin ffmpeg sox libstb-dev
)

missing=()
for p in "${packages[@]}"; do
  # dpkg-query reports "install ok installed" only for fully installed packages.
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
