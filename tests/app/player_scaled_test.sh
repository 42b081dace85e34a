#!/usr/bin/env bash
# A desktop that asks for scaling gets the window at that many times its size
# (LUMISCENE_SCALE, else GDK_SCALE), and the menu strip still answers the
# pointer where it is drawn.
#   player_scaled_test.sh PLAYER
set -u
player=$1
source "$(dirname "$0")/desktop_lib.sh"

# The content: the 19-pixel menu strip above the 640 x 480 client area.
for setting in LUMISCENE_SCALE=2 GDK_SCALE=2 "GDK_SCALE=2 LUMISCENE_SCALE=1"; do
  start_desktop 1600x1200
  start_player env $setting "$player"
  size=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ { print $2 }')
  expected=1280x998
  [ "$setting" = "GDK_SCALE=2 LUMISCENE_SCALE=1" ] && expected=640x499
  [ "$size" = "$expected" ] || fail "$setting: the window is $size, not $expected"
  echo "$setting: the window is $size"
  stop_desktop
done

# The File menu opens from a click on its title, at twice its unscaled place.
start_desktop 1600x1200
start_player env LUMISCENE_SCALE=2 "$player"
read -r x y <<< "$(window_position)"
xdotool mousemove $((x + 2 * 15)) $((y + 2 * 9))
sleep 0.2
xdotool click 1
sleep 0.5
screenshot "$work/menu.png"
# The drop-down is a panel of the interface colour under the title.
face=$("$convert" "$work/menu.png" -crop "300x200+$((x + 20))+$((y + 2 * 19 + 20))" +repage -fuzz 2% \
  -fill white -opaque '#D4D0C8' -fill black +opaque white -format '%[fx:mean]' info:)
awk -v f="$face" 'BEGIN { exit !(f > 0.5) }' || fail "the File menu did not open (interface colour share $face)"
echo "the File menu opened under its title (interface colour share $face)"
xdotool key Escape
echo "player_scaled: all checks passed"
