#!/usr/bin/env bash
# Full-screen on real X servers: the frame fills a 4:3 screen with no window
# manager to help, and on a 16:9 screen keeps its shape between black bars,
# with both labels whole (nothing cut off).
#   player_fullscreen_test.sh PLAYER
set -u
player=$1
source "$(dirname "$0")/desktop_lib.sh"

# labels_show FILE X0 X1 BOTTOM: orange label letters near both lower corners of the frame.
labels_show() {
  local corner
  for corner in "$2" "$(($3 - 200))"; do
    orange=$("$convert" "$1" -crop "200x50+$corner+$(($4 - 50))" +repage -fuzz 12% -fill white -opaque '#FFA000' \
      -fill black +opaque white -format '%[fx:mean*w*h]' info:)
    awk -v n="$orange" 'BEGIN { exit !(n > 30) }' || return 1
  done
}

for case in "1024x768 bare" "1280x720 bare" "1280x720 openbox"; do
  read -r size manager <<< "$case"
  start_desktop "$size" "$manager"
  start_player "$player"
  xdotool key --window "$window" t
  sleep 2
  screenshot "$work/screen.png"
  width=${size%x*}
  height=${size#*x}
  # The frame's width at the screen's height, centred.
  frame=$((height * 4 / 3))
  left=$(((width - frame) / 2))
  picture_black=$(black_share "$work/screen.png" "${frame}x${height}+${left}+0")
  awk -v b="$picture_black" 'BEGIN { exit !(b < 0.02) }' ||
    fail "$case: the frame does not fill its place (black share $picture_black)"
  if [ "$left" -gt 0 ]; then
    for bar in "0" "$((left + frame))"; do
      bar_black=$(black_share "$work/screen.png" "$((left - 1))x${height}+${bar}+0")
      awk -v b="$bar_black" 'BEGIN { exit !(b > 0.999) }' || fail "$case: no black bar at x=$bar ($bar_black black)"
    done
  fi
  labels_show "$work/screen.png" "$left" "$((left + frame))" "$height" || fail "$case: a label is cut off"
  echo "$case: frame ${frame}x${height} at x=$left, black share $picture_black"
  stop_desktop
done
echo "player_fullscreen: all checks passed"
