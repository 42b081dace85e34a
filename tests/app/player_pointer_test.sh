#!/usr/bin/env bash
# Pointer moves the X server reports pan the picture, warps included (as
# xdotool, remote desktops and accessibility tools move the pointer): the
# client area changes far more after a warp than it does between two quiet
# moments of the animation.
#   player_pointer_test.sh PLAYER
set -u
player=$1
source "$(dirname "$0")/desktop_lib.sh"

start_desktop 1024x768
xdotool mousemove 300 300
start_player "$player"
read -r x y <<< "$(window_position)"
# The client area, below the menu strip.
client="640x480+$x+$((y + 19))"
shot() { screenshot "$work/$1.png"; "$convert" "$work/$1.png" -crop "$client" +repage "$work/$1.png"; }
difference() { /usr/bin/compare -metric RMSE "$work/$1.png" "$work/$2.png" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }

shot quiet1
sleep 0.5
shot quiet2
xdotool mousemove 500 420
sleep 0.5
shot warped
quiet=$(difference quiet1 quiet2)
warped=$(difference quiet2 warped)
echo "client area change: $quiet while quiet, $warped after a warp"
awk -v q="$quiet" -v w="$warped" 'BEGIN { exit !(w > 3 * q && w > 0.02) }' || fail "the warp did not pan the picture"
echo "player_pointer: all checks passed"
