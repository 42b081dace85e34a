#!/usr/bin/env bash
# Makes the README's screenshots and animation with lumiscene-render: the program
# itself, run headless with a scripted pointer and key; the second screenshot
# with two pictures of one's own, drawn here with ImageMagick. Needs ImageMagick,
# cjpeg and a built tree (make build).
set -euo pipefail
cd "$(dirname "$0")"
. ../tools/script_support.sh
require_debian_packages make_readme_media.sh imagemagick libjpeg-turbo-progs
find_imagemagick
render=../build/bin/lumiscene-render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The pointer drifts right (panning the picture) and a key starts the inset at 1 s.
events="0:pointer:0:0,1000:key"
times=""
for t in $(seq 200 200 8000); do
  times="$times,$t"
  events="$events,$t:pointer:$((t / 50)):0"
done
"$render" --out "$work" --at "${times#,}" --events "$events" > /dev/null

"$IM" "$work/screen-3000.ppm" -strip screenshot.png
"$IM" -delay 20 -loop 0 $(for t in $(seq 200 200 8000); do echo "$work/screen-$t.ppm"; done) \
  -resize 320x240 +dither -colors 64 -layers Optimize animation.gif
# A wide dusk panorama and a sunset of 1200 x 900, as a user's camera might give them.
"$IM" -seed 11 -size 2400x800 plasma:steelblue-sienna -blur 0x3 \( -size 2400x800 gradient:'#ffd9a0'-'#203050' \) \
  -compose multiply -composite -fill '#1a2a18' \
  -draw "polygon 0,800 0,560 300,470 700,590 1100,430 1500,600 1900,480 2400,580 2400,800" ppm:- |
  cjpeg -quality 90 -progressive > "$work/panorama.jpg"
"$IM" -size 1200x900 radial-gradient:'#fff4c0'-'#c04818' -fill '#302010' -draw "rectangle 0,640 1200,900" \
  -fill '#f8f0e0' -draw "circle 600,330 600,450" ppm:- | cjpeg -quality 90 > "$work/inset.jpg"
"$render" --picture1 "$work/panorama.jpg" --picture2 "$work/inset.jpg" --out "$work/own" --at 3000 \
  --events "0:pointer:0:0,1000:key" > /dev/null
"$IM" "$work/own/screen-3000.ppm" -strip own_pictures.png
echo "made screenshot.png, animation.gif and own_pictures.png"
