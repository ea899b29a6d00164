#!/usr/bin/env bash
# Makes the control kit's resources from the text sources beside this script:
#   make-kit-resources.sh OUTPUT_DIR
# writes into OUTPUT_DIR
#   pal16.bmp    a 10 x 10 bitmap of 4 bits per pixel: the 16-colour palette
#                (the 16 colours every Windows display has);
#   pal256.bmp   a 10 x 10 bitmap of 8 bits per pixel: the 256-colour palette
#                (those 16, the 6 x 6 x 6 colour cube the picture decoder
#                dithers to on such displays, and 24 greys);
#   HandCursor.cur, HandNoFingersCursor.cur  from the 32 x 32 drawings
#                *Cursor.txt (X black, o white, . transparent, a hot spot).
# The bytes are written as hexadecimal text and turned into binary by xxd.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
mkdir -p "$out"

le16() { printf '%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# The 16 colours, as RRGGBB, in the order of the Windows standard palette.
system16=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
          808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)

# A 10 x 10 bitmap file: bits per pixel, colours (RRGGBB), then the pixels'
# colour indexes row by row from the top.
write_palette_bitmap() {
  local file=$1 bits=$2 colors_name=$3 pixels_name=$4
  local -n colors=$colors_name pixels=$pixels_name
  local count=${#colors[@]} stride=$(((10 * bits + 31) / 32 * 4))
  local offset=$((14 + 40 + 4 * count)) hex="" row y x c byte
  hex+=424d$(le32 $((offset + 10 * stride)))$(le32 0)$(le32 "$offset")
  hex+=$(le32 40)$(le32 10)$(le32 10)$(le16 1)$(le16 "$bits")$(le32 0)$(le32 $((10 * stride)))
  hex+=$(le32 2835)$(le32 2835)$(le32 "$count")$(le32 0)
  for c in "${colors[@]}"; do hex+=${c:4:2}${c:2:2}${c:0:2}00; done # blue, green, red, 0
  for ((y = 9; y >= 0; y--)); do # bottom row first
    row=""
    for ((x = 0; x < 10; x++)); do
      if ((bits == 8)); then
        row+=$(printf '%02x' "${pixels[y * 10 + x]}")
      else
        row+=$(printf '%x' "${pixels[y * 10 + x]}")
      fi
    done
    while ((${#row} < 2 * stride)); do row+=0; done
    hex+=$row
  done
  echo "$hex" | xxd -r -p >"$file"
}

colors16=("${system16[@]}")
pixels16=()
for ((i = 0; i < 100; i++)); do pixels16+=($(((i % 10 + i / 10) % 16))); done
write_palette_bitmap "$out/pal16.bmp" 4 colors16 pixels16

colors256=("${system16[@]}")
levels=(00 33 66 99 cc ff)
for r in "${levels[@]}"; do for g in "${levels[@]}"; do for b in "${levels[@]}"; do
  colors256+=("$r$g$b")
done; done; done
for ((i = 1; i <= 24; i++)); do # greys between the cube's, black and white excluded
  v=$(printf '%02x' $((i * 255 / 25)))
  colors256+=("$v$v$v")
done
((${#colors256[@]} == 256)) || { echo "the 256-colour table has ${#colors256[@]} entries" >&2; exit 1; }
pixels256=()
for ((i = 0; i < 100; i++)); do pixels256+=($((i * 255 / 99))); done
write_palette_bitmap "$out/pal256.bmp" 8 colors256 pixels256

# A cursor file of one 32 x 32 monochrome image: an XOR mask (white where
# the drawing is white) and an AND mask (set where it is transparent).
write_cursor() {
  local source=$1 file=$2 hot_x="" hot_y="" line rows=() xor="" and="" y x bits_xor bits_and ch
  while IFS= read -r line; do
    [[ "$line" == \#* || -z "$line" ]] && continue
    if [[ "$line" == hotspot* ]]; then
      read -r _ hot_x hot_y <<<"$line"
      continue
    fi
    ((${#line} == 32)) || { echo "$source: a row of ${#line} pixels, not 32" >&2; exit 1; }
    rows+=("$line")
  done <"$source"
  ((${#rows[@]} == 32)) || { echo "$source: ${#rows[@]} rows, not 32" >&2; exit 1; }
  [[ -n "$hot_x" ]] || { echo "$source: no hotspot line" >&2; exit 1; }
  for ((y = 31; y >= 0; y--)); do # bottom row first
    bits_xor=0 bits_and=0
    for ((x = 0; x < 32; x++)); do
      ch=${rows[y]:x:1}
      bits_xor=$((bits_xor << 1)) bits_and=$((bits_and << 1))
      case "$ch" in
        o) bits_xor=$((bits_xor | 1)) ;;
        .) bits_and=$((bits_and | 1)) ;;
        X) ;;
        *) echo "$source: the pixel '$ch' is none of X, o, ." >&2; exit 1 ;;
      esac
    done
    xor+=$(printf '%08x' "$bits_xor")
    and+=$(printf '%08x' "$bits_and")
  done
  local image_size=$((40 + 8 + 128 + 128)) hex
  hex=$(le16 0)$(le16 2)$(le16 1)                      # a cursor file of one image
  hex+=20200200$(le16 "$hot_x")$(le16 "$hot_y")$(le32 "$image_size")$(le32 22)
  hex+=$(le32 40)$(le32 32)$(le32 64)$(le16 1)$(le16 1)$(le32 0)$(le32 256)
  hex+=$(le32 0)$(le32 0)$(le32 2)$(le32 0)
  hex+=00000000ffffff00 # black, white
  echo "$hex$xor$and" | xxd -r -p >"$file"
}

for name in HandCursor HandNoFingersCursor; do
  write_cursor "$here/$name.txt" "$out/$name.cur"
done
