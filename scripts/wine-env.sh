# Sourced with the build tree as $1: the environment of this tree's private
# Wine prefix. The prefix is 64-bit; 32-bit programs run in it under WOW64,
# which in Wine 8 needs a kernel that executes 32-bit (i386) Linux programs.
wine_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$wine_build_dir/wineprefix"
export WINEDEBUG=-all
# No menu entries or desktop files from inside tests; no Mono/Gecko install prompts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
# Wine writes into HOME (Trash, user folders): keep that inside the tree too.
export HOME="$wine_build_dir/winehome"
mkdir -p "$HOME"
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  WINE=wine
else
  WINE=/usr/lib/wine/wine64 # only 64-bit programs can run here
fi
export WINE
