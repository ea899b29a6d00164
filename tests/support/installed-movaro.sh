# Sourced by the Wine tests of Movaro.exe: lays out a folder as the installer
# would, with the program, its hook library and the data files built in the
# host tree (those of FILES that exist; Av: the standard sounds).
#   install_movaro SOURCE_DIR BUILD_DIR APP_DIR FILE...
install_movaro() {
  local src=$1 build=$2 app=$3 content="$1/build/host/content" file
  shift 3
  mkdir -p "$app"
  cp "$build/bin/Movaro.exe" "$app/"
  [[ -f "$build/bin/Movaro.dll" ]] && cp "$build/bin/Movaro.dll" "$app/"
  for file in "$@"; do
    if [[ "$file" == Av ]]; then
      mkdir -p "$app/Av"
      cp "$content"/Av/*.wav "$app/Av/" 2>/dev/null || true
    elif [[ -f "$content/$file" ]]; then
      cp "$content/$file" "$app/"
    fi
  done
}
