#!/usr/bin/env bash
# Makes the media fixtures of the Windows tests:
#   make-media.sh FOLDER
# clip.avi    160 x 120, 3 seconds at 10 frames a second, cinepak with every
#             frame a key frame (the kind of film the product ships)
# chime.wav   a short sine tone, 16-bit mono
# words.wav   text under a sound's name; broken.avi a RIFF header and junk
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10:duration=3 \
  -c:v cinepak -g 1 -max_extra_cb_iterations 0 -max_strips 1 -an clip.avi
sox -q -n -r 22050 -c 1 -b 16 chime.wav synth 0.3 sine 660 fade 0 0.3 0.1
printf 'these are words, not a sound\r\n' > words.wav
printf 'RIFF\x40\x00\x00\x00AVI LIST and then nothing a player could read' > broken.avi
touch stamp
