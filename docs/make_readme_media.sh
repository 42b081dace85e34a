#!/usr/bin/env bash
# Makes the README's screenshot and animation with lumiscene-render: the program
# itself, run headless with a scripted pointer and key. Needs ImageMagick and a
# built tree (make build).
set -euo pipefail
cd "$(dirname "$0")"
. ../tools/script_support.sh
require_debian_packages make_readme_media.sh imagemagick
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
echo "made screenshot.png and animation.gif"
