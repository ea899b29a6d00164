#!/usr/bin/env bash
# Draws Movaro's skin images, icon and their resource script:
#   make-skins.sh OUTPUT_DIR
# Every picture is SVG written here (the pictures in this folder and the
# button faces drawn from icons.txt), rendered by rsvg-convert and stored by
# ImageMagick twice: NAME.bmp with 24 bits per pixel and NAME_256.bmp with 8,
# dithered to the 216-colour cube that 256-colour displays show, uncompressed
# (the bitmap decoder reads no run-length encoding). For displays set to a
# larger scale every picture is drawn again from its SVG at 125, 150 and
# 200 % as NAME_125.png ... (PNG keeps the program small; a 256-colour
# display reduces their colours as they are decoded). Also MAINICON.ico (16,
# 32 and 48 pixels) and Skins.rc naming them all.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
mkdir -p "$out/svg"

# The program's colours: sand (the window), plum (faces and text), cream.
sand='#FCCA8F' plum='#6D3D53' cream='#FFFFF2' ink='#4A2A38'
# The pages' light grey, under the faces of the buttons that sit on a page.
page='#F2F4F7'

names=()
scaled=(125 150 200)
store() { # NAME: svg/NAME.svg into NAME.bmp and NAME_256.bmp
  local name=$1
  rsvg-convert -o "$out/svg/$name.png" "$out/svg/$name.svg"
  convert "$out/svg/$name.png" -background "$sand" -flatten -type TrueColor "BMP3:$out/$name.bmp"
  convert "$out/svg/$name.png" -background "$sand" -flatten -dither FloydSteinberg \
          -remap netscape: -type Palette -colors 256 -compress None "BMP3:$out/${name}_256.bmp"
  for percent in "${scaled[@]}"; do
    rsvg-convert -z "$(awk -v p="$percent" 'BEGIN { print p / 100 }')" -o "$out/svg/${name}_$percent.png" \
      "$out/svg/$name.svg"
    convert "$out/svg/${name}_$percent.png" -background "$sand" -flatten -type TrueColor \
      "PNG24:$out/${name}_$percent.png"
  done
  names+=("$name")
}

glyph() { # NAME: the path data of a glyph
  awk -v n="$1" '$1 == n { $1 = ""; sub(/^ /, ""); print; exit }' "$here/icons.txt"
}

# A button face W x H in a state (up, down, disabled), optionally with a
# glyph: column buttons carry theirs at the left, media buttons centred.
face() {
  local name=$1 w=$2 h=$3 state=$4 icon=${5:-} placement=${6:-left} ground=${7:-$sand}
  local fill=$cream stroke=$plum edge='#E3A867' dy=0 shadow=0.35
  case $state in
    down) fill='#F6DDBA' dy=1 shadow=0 ;;
    disabled) fill='#F3EEE6' stroke='#B9AAA2' edge='#D8CFC6' shadow=0.15 ;;
  esac
  local r=$((h / 2 < 9 ? h / 2 : 9))
  {
    echo "<svg xmlns='http://www.w3.org/2000/svg' width='$w' height='$h' viewBox='0 0 $w $h'>"
    echo "<rect width='$w' height='$h' fill='$ground'/>"
    echo "<rect x='1.5' y='2.5' width='$((w - 3))' height='$((h - 4))' rx='$r' fill='$ink' opacity='$shadow'/>"
    echo "<rect x='1' y='$((1 + dy))' width='$((w - 3))' height='$((h - 4))' rx='$r' fill='$fill' stroke='$edge'/>"
    if [[ -n "$icon" ]]; then
      local size=$((h - 14)) x y
      if [[ $placement == left ]]; then x=10; else x=$(((w - size) / 2)); fi
      y=$(((h - 4 - size) / 2 + 1 + dy))
      echo "<g transform='translate($x $y) scale($(awk -v s=$size 'BEGIN { print s / 24 }'))' fill='none' stroke='$stroke' stroke-width='2.2' stroke-linecap='round' stroke-linejoin='round'>"
      echo "<path d='$(glyph "$icon")'/></g>"
    fi
    echo "</svg>"
  } >"$out/svg/$name.svg"
  store "$name"
}

# A plain face in plum for white captions (the setup page's buttons);
# the dialog's faces (ground "footer") stand on the footer's gradient at the
# rows they cover there (y 15 to 35 of 40), so their corners blend in.
plain_face() {
  local name=$1 w=$2 h=$3 state=$4 ground=${5:-$page} fill=$plum dy=0
  case $state in
    down) fill=$ink dy=1 ;;
    disabled) fill='#B9AAA2' ;;
  esac
  local back="<rect width='$w' height='$h' fill='$ground'/>"
  if [[ $ground == footer ]]; then
    back="<defs><linearGradient id='f' gradientUnits='userSpaceOnUse' x1='0' y1='-15' x2='0' y2='25'>"
    back+="<stop offset='0' stop-color='#F8BE7C'/><stop offset='1' stop-color='#F2A65A'/>"
    back+="</linearGradient></defs><rect width='$w' height='$h' fill='url(#f)'/>"
  fi
  cat >"$out/svg/$name.svg" <<SVG
<svg xmlns='http://www.w3.org/2000/svg' width='$w' height='$h' viewBox='0 0 $w $h'>
$back
<rect x='1.5' y='2.5' width='$((w - 3))' height='$((h - 4))' rx='$((h / 3))' fill='$ink' opacity='0.3'/>
<rect x='1' y='$((1 + dy))' width='$((w - 3))' height='$((h - 4))' rx='$((h / 3))' fill='$fill'/>
</svg>
SVG
  store "$name"
}

for state in up down disabled; do
  plain_face "but_$state" 120 35 $state
  plain_face "but_${state}_20x74obg" 74 20 $state footer
  for icon in info exercises status messages config network quit; do
    face "but_${state}_$icon" 120 35 $state $icon left
  done
  for icon in play pause stop forward back sound; do
    face "but_${state}_$icon" 54 35 $state $icon centre "$page"
  done
done

for picture in background about movarobox header_msgdlg footer_msgdlg_orange; do
  cp "$here/$picture.svg" "$out/svg/$picture.svg"
  store "$picture"
done

# The application icon: the mark of movarobox on a plum tile.
for size in 16 32 48; do
  rsvg-convert -w $size -h $size -o "$out/svg/icon$size.png" "$here/icon.svg"
done
convert "$out/svg/icon16.png" "$out/svg/icon32.png" "$out/svg/icon48.png" "$out/MAINICON.ico"

{
  echo "MAINICON ICON \"$out/MAINICON.ico\""
  for name in "${names[@]}"; do
    echo "$name BITMAP \"$out/$name.bmp\""
    echo "${name}_256 BITMAP \"$out/${name}_256.bmp\""
    for percent in "${scaled[@]}"; do
      echo "${name}_$percent RCDATA \"$out/${name}_$percent.png\""
    done
  done
} >"$out/Skins.rc.new"
mv "$out/Skins.rc.new" "$out/Skins.rc"
