#!/usr/bin/env bash
# Makes the README's screenshot of Lumiscene with a user's pictures: draws two
# pictures with ImageMagick (a wide dusk panorama and a smaller one to fade
# in), starts the Linux player with --picture1 and --picture2 on a virtual X
# server, brings the second picture in with a key and takes the client area
# while it is held at half. Needs a built tree (make build), Xvfb, xdotool and
# ImageMagick.
set -u
cd "$(dirname "$0")"
. ../tools/script_support.sh
require_debian_packages make_own_pictures_screenshot.sh imagemagick xvfb xdotool
player=$(realpath ../build/bin/lumiscene)
. ../tests/app/desktop_lib.sh

# Picture 1, 1600 x 600: sky, sun, hills and their lake. Cut to the frame's
# shape, its middle 800 x 600 is what pans.
"$convert" -size 1600x360 gradient:'#26307a-#f29450' \
  \( -size 1600x240 gradient:'#c0704a-#101840' \) -append \
  -fill '#ffe08a' -draw 'circle 470,225 470,190' \
  -fill '#2b2440' -draw 'polygon 0,360 0,250 180,210 380,300 560,200 760,320 980,230 1200,310 1420,220 1600,280 1600,360' \
  -fill '#ffd070' -draw 'rectangle 440,372 500,376' -draw 'rectangle 450,392 490,395' -draw 'rectangle 460,414 480,416' \
  -quality 92 "$work/panorama.jpg"
# Picture 2, 420 x 300: a blossom on a soft ground, kept at its own size.
"$convert" -size 420x300 radial-gradient:'#f8f0d8-#6a8a5a' \
  -fill '#e0587a' -draw 'circle 150,150 150,95' -draw 'circle 270,150 270,95' \
  -draw 'circle 210,90 210,35' -draw 'circle 210,210 210,155' \
  -fill '#ffd23c' -draw 'circle 210,150 210,118' \
  -quality 92 "$work/inset.jpg"

start_desktop 1024x768
xdotool mousemove 200 300
start_player "$player" --picture1 "$work/panorama.jpg" --picture2 "$work/inset.jpg"
sleep 1
xdotool key --window "$window" space
sleep 2.5
"$import" -window "$window" "$work/window.png"
"$convert" "$work/window.png" -gravity south -crop 640x480+0+0 +repage -strip screenshot_own_pictures.png
echo "made screenshot_own_pictures.png"
