#!/usr/bin/env bash
# The window comes back to its place from full-screen: after five round trips
# (T twice, Alt+Enter twice) its content is where it started, under a window
# manager (whose frame the placement must allow for) and without one. The
# position measured is where the content is drawn.
#   player_placement_test.sh PLAYER
set -u
player=$1
source "$(dirname "$0")/desktop_lib.sh"

for manager in openbox bare; do
  start_desktop 1024x768 "$manager"
  start_player "$player"
  start=$(window_position)
  # Where the content is said to be, the menu strip is drawn.
  read -r x y <<< "$start"
  screenshot "$work/start.png"
  strip=$(pixel "$work/start.png" $((x + 3)) $((y + 3)))
  [ "${strip,,}" = d4d0c8 ] || fail "$manager: at $start the screen shows $strip, not the menu strip"
  for trip in 1 2 3 4 5; do
    keys=t
    [ $((trip % 2)) = 0 ] && keys=alt+Return
    xdotool key --window "$window" "$keys"
    sleep 0.8
    xdotool key --window "$window" "$keys"
    sleep 0.8
  done
  end=$(window_position)
  [ "$start" = "$end" ] || fail "$manager: the window started at $start and is at $end after five round trips"
  echo "$manager: the window is at $end, where it started"
  stop_desktop
done
echo "player_placement: all checks passed"
