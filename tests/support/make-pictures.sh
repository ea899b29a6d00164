#!/usr/bin/env bash
# Makes the picture fixtures of the tests with ImageMagick, in every format
# and variant the picture decoder reads:
#   make-pictures.sh FOLDER
# quad.*   40 x 20: red, lime / blue, white quarters (10 x ... each 20 x 10)
# wide.*   200 x 50 orange; banner.bmp 600 x 20 teal; tiny.gif 1 x 1 black
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
convert -size 20x10 xc:red -size 20x10 xc:lime +append \
  \( -size 20x10 xc:blue -size 20x10 xc:white +append \) -append -depth 8 quad.ppm
convert quad.ppm quad.png
convert quad.ppm -quality 95 -sampling-factor 1x1 quad.jpg
convert quad.ppm -quality 95 -interlace JPEG quadprog.jpg
convert quad.ppm quad.gif
convert quad.ppm -type truecolor BMP3:quad.bmp
convert quad.ppm -type palette BMP3:quad8.bmp
convert quad.ppm -type truecolor quad.pcx
convert quad.ppm -type palette quad8.pcx
convert quad.ppm -compress none quad.tif
convert quad.ppm -compress lzw quadlzw.tif
convert quad.ppm -compress zip quadzip.tif
convert quad.ppm -compress rle quadrle.tif
convert quad.ppm -type palette -compress lzw quadpal.tif
convert quad.ppm -endian MSB -compress none quadmm.tif
convert -size 20x10 xc:black -size 20x10 xc:white +append -monochrome quadmono.pcx
convert -size 20x10 xc:black -size 20x10 xc:white +append -colorspace gray -compress lzw quadgray.tif
convert -size 200x50 xc:orange -type truecolor BMP3:wide.bmp
convert -size 600x20 xc:teal -type truecolor BMP3:banner.bmp
convert -size 1x1 xc:black tiny.gif
rm quad.ppm
touch stamp
