#!/usr/bin/env bash
# Makes Lumiscene's two pictures and its icon from a scene described here, so
# they can be rebuilt exactly: a 640 x 480 lakeside panorama at dusk (picture 1,
# baseline JPEG 4:2:0) and a 400 x 300 night sky over a hill (picture 2,
# progressive JPEG), plus the program icon (Windows icon, and a PNG for Linux desktops). Needs ImageMagick and cjpeg.
set -euo pipefail
cd "$(dirname "$0")"

. ../tools/script_support.sh
require_debian_packages make_pictures.sh imagemagick libjpeg-turbo-progs
find_imagemagick
im=$IM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ridge WIDTH BASE AMPLITUDE SEED: an SVG polygon of a mountain line made of
# a few sine waves, closed along the bottom of the picture.
ridge() {
  awk -v w="$1" -v base="$2" -v amp="$3" -v seed="$4" -v h=480 'BEGIN {
    srand(seed); for (k = 1; k <= 12; k++) { f[k] = (0.5 + rand()) * k * 6.2832 / w; p[k] = rand() * 6.2832; a[k] = amp / (k ^ 1.2) }
    printf "0,%d ", h
    for (x = 0; x <= w; x += 4) {
      y = base; for (k = 1; k <= 12; k++) y -= a[k] * sin(f[k] * x + p[k])
      printf "%d,%d ", x, y
    }
    printf "%d,%d", w, h
  }'
}

# Picture 1: sky, sun, three ridges, a lake that mirrors them, reeds.
"$im" -size 640x300 gradient:'#16325c'-'#f4a259' \
  \( -size 640x300 xc:none -fill '#fff3c4' -draw 'circle 420,228 420,204' -blur 0x3 \) -composite \
  \( -size 640x300 xc:none -fill '#ffd38a' -draw 'circle 420,228 420,190' -blur 0x18 \) -compose screen -composite \
  -compose over \
  \( -size 640x300 xc:none -fill '#6c5b8e' -draw "polygon $(ridge 640 200 40 7)" \) -composite \
  \( -size 640x300 xc:none -fill '#3f4f73' -draw "polygon $(ridge 640 235 32 11)" \) -composite \
  \( -size 640x300 xc:none -fill '#22382f' -draw "polygon $(ridge 640 272 22 23)" \) -composite \
  "$work/land.png"
"$im" -seed 41 -size 640x300 plasma:grey50-grey50 -colorspace gray -blur 0x1 "$work/grain.png"
"$im" "$work/land.png" "$work/grain.png" -compose overlay -composite "$work/land-grain.png"
"$im" "$work/land-grain.png" -flip -crop 640x184+0+0 +repage \
  -background '#22382f' -wave 2x37 -crop 640x180+0+2 +repage \
  -fill '#0d2a45' -colorize 35% "$work/lake.png"
"$im" "$work/land-grain.png" "$work/lake.png" -append "$work/scene.png"
reeds=$(awk 'BEGIN { srand(5); for (i = 0; i < 140; i++) { x = int(rand() * 640); h = 20 + int(rand() * 45);
  printf "line %d,480 %d,%d ", x, x + int(rand() * 9) - 4, 480 - h } }')
"$im" "$work/scene.png" -stroke '#14231b' -strokewidth 2 -draw "$reeds" "$work/picture1.ppm"
cjpeg -quality 88 -sample 2x2,1x1,1x1 -optimize -outfile picture1.jpg "$work/picture1.ppm"

# Picture 2: a starry night sky with a crescent moon over a dark hill.
stars=$(awk 'BEGIN { srand(3); for (i = 0; i < 220; i++) { x = rand() * 400; y = rand() * 230; r = (rand() < 0.9) ? 0.6 : 1.3;
  printf "circle %.1f,%.1f %.1f,%.1f ", x, y, x + r, y } }')
"$im" -size 400x300 gradient:'#070b24'-'#2b3f7a' \
  -fill '#e8eefc' -draw "$stars" \
  \( -size 400x300 xc:none -fill '#fbf4d6' -draw 'circle 300,80 300,52' -fill black -draw 'circle 312,72 312,46' \
     -transparent black -blur 0x0.7 \) -composite \
  \( -size 400x300 xc:none -fill '#fbf4d6' -draw 'circle 300,80 300,40' -blur 0x22 -channel A -evaluate multiply 0.35 +channel \) \
  -compose screen -composite -compose over \
  -fill '#0b1410' -draw "polygon $(ridge 400 255 18 31 | sed 's/,480/,300/g')" \
  "$work/picture2.ppm"
cjpeg -quality 90 -progressive -optimize -outfile picture2.jpg "$work/picture2.ppm"

# The icon: the sun over the ridges, cut from picture 1, in the sizes Windows
# shows (title bar, lists, desktop, large views) and a PNG for Linux desktops.
"$im" "$work/picture1.ppm" -crop 256x256+292+102 +repage \
  \( -clone 0 \) \( -clone 0 -resize 48x48 \) \( -clone 0 -resize 32x32 \) \
  \( -clone 0 -resize 24x24 \) \( -clone 0 -resize 16x16 \) -delete 0 -depth 8 lumiscene.ico
"$im" "$work/picture1.ppm" -crop 256x256+292+102 +repage -resize 64x64 -depth 8 -strip lumiscene.png
echo "made picture1.jpg, picture2.jpg, lumiscene.ico and lumiscene.png"
