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
# The 64-bit tree runs under wine64 itself; the 32-bit tree needs the wine32
# loader (scripts/windows-test-tree.sh says whether that works here).
if [[ "$(basename "$wine_build_dir")" == win64 ]]; then
  WINE=/usr/lib/wine/wine64
else
  WINE=wine
fi
export WINE
# The Windows path of a Linux path: Wine maps / to drive Z:.
windows_path() { local p="Z:${1//\//\\}"; echo "$p"; }
# Ends every program of the prefix and waits until the server has gone: a
# program started before that may still meet the old server and its windows.
wine_stop() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
