#!/usr/bin/env bash
# The Linux player with pictures of the user's: --picture1 pans a picture of
# any size scaled to cover the frame, --picture2 fades in a picture scaled to
# fit the inset, and a file that cannot be used is reported on stderr while the
# built-in picture is shown and the player goes on.
#   player_pictures_test.sh PLAYER BUILT_IN_PICTURE1
set -u
player=$1
builtin=$2
source "$(dirname "$0")/desktop_lib.sh"
command -v cjpeg > /dev/null || { echo "skipped: cjpeg is not installed"; exit 77; }

client() {
  "$import" -window "$window" "$work/window.png"
  "$convert" "$work/window.png" -gravity south -crop 640x480+0+0 +repage "$1"
}
rmse() { /usr/bin/compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }
# green FILE X Y: the green level (0..255) of a pixel.
green() { printf '%d' "0x$(pixel "$1" "$2" "$3" | cut -c3-4)"; }
near() { [ "$1" -ge $(($2 - 16)) ] && [ "$1" -le $(($2 + 16)) ]; }

# Picture 1 mirrored and twice the size, progressive: shown, it is picture 1
# mirrored (the built-in picture would be far from it).
"$convert" "$builtin" -flop "$work/expected.png"
"$convert" "$builtin" -flop -sample 200% ppm:- | cjpeg -quality 95 -progressive > "$work/panorama.jpg"
printf 'not a picture\n' > "$work/notes.jpg"
start_desktop 1024x768
xdotool mousemove 0 0
start_player "$player" --picture1 "$work/panorama.jpg" --picture2 "$work/notes.jpg"
client "$work/first.png"
chosen=$(rmse "$work/first.png" "$work/expected.png")
other=$(rmse "$work/first.png" "$builtin")
echo "client area against the chosen picture: $chosen, against the built-in one: $other"
awk -v e="$chosen" -v o="$other" 'BEGIN { exit !(e < 0.08 && o > 2 * e) }' || fail "picture 1 is not the chosen one"
grep -qF "lumiscene: $work/notes.jpg: not a JPEG picture (error -217 NoStartOfImage); the built-in picture is shown instead" \
  "$work/player.log" || fail "the refused picture 2 was not reported"
kill -0 "$player_pid" 2> /dev/null || fail "the player ended after a refused picture"
stop player_pid

# Solid pictures: red 2000 x 1000 covers the frame; green 1080 x 200 fits the
# inset as 540 x 100, centred on the canvas at rows 190 to 289. Held at half,
# the inset shows green at (40 + 200) / 2 = 120, the canvas around it
# (40 + 0x40) / 2 = 52, and outside the inset rectangle the panorama's 40.
"$convert" -size 2000x1000 xc:'rgb(200,40,40)' ppm:- | cjpeg -quality 95 -progressive > "$work/red.jpg"
"$convert" -size 1080x200 xc:'rgb(40,200,40)' ppm:- | cjpeg -quality 95 > "$work/green.jpg"
start_player "$player" --picture1 "$work/red.jpg" --picture2 "$work/green.jpg"
xdotool key --window "$window" space
sleep 2.5
client "$work/held.png"
for check in "320 240 120" "320 196 120" "320 283 120" "60 240 120" "580 240 120" \
  "320 150 52" "320 184 52" "320 296 52" "320 60 52" "20 240 40" "620 240 40"; do
  read -r x y want <<< "$check"
  got=$(green "$work/held.png" "$x" "$y")
  near "$got" "$want" || fail "green at $x, $y is $got, not about $want"
done
echo "player_pictures: all checks passed"
