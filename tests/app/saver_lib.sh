# Shared by the screensaver's desktop tests, sourced after desktop_lib.sh: the
# picture check that does not mind where the drift has panned to, and waiting
# for the saver's first picture. Needs $picture (picture 1 as the program has it).

"$convert" "$picture" -resize '1x48!' "$work/picture-rows.png"

# shows_picture FILE WxH+X+Y: true when the region holds picture 1 scaled to
# fill it. Each row's average colour is compared, which the sideways drift
# barely changes (the panorama is the picture and its mirror image), while a
# frame that is missing, shifted up or down, squashed or another picture changes it a lot.
shows_picture() {
  "$convert" "$1" -crop "$2" +repage -resize '1x48!' "$work/region-rows.png"
  local rmse
  rmse=$(/usr/bin/compare -metric RMSE "$work/region-rows.png" "$work/picture-rows.png" null: 2>&1 |
    sed 's/.*(\(.*\)).*/\1/')
  awk -v e="$rmse" 'BEGIN { exit !(e < 0.05) }'
}

# colour_count FILE WxH+X+Y: how many colours a coarse grid of the region has.
colour_count() { "$convert" "$1" -crop "$2" +repage -sample 32x24! -format %k info:; }

# wait_for_picture FILE WxH+X+Y: screenshots into FILE until the region holds
# a picture (many colours: not black, not the host's white), at most 15 s.
wait_for_picture() {
  for _ in $(seq 75); do
    screenshot "$1"
    [ "$(colour_count "$1" "$2")" -ge 64 ] && return 0
    sleep 0.2
  done
  return 1
}

# white_share FILE WxH+X+Y: the share (0..1) of white pixels, which the host shows where nothing was drawn.
white_share() {
  "$convert" "$1" -crop "$2" +repage -fill black +opaque white -colorspace gray -format '%[fx:mean]' info:
}

# ends_within PID SECONDS: waits up to that long for the process to end (a
# hang check, not a speed measurement: bench/saver_desktop.sh measures). On its
# end sets $ended_ms, the milliseconds it took, and $ended_status.
ends_within() {
  local start
  start=$(date +%s%N)
  for _ in $(seq "$(($2 * 100))"); do
    kill -0 "$1" 2> /dev/null || break
    sleep 0.01
  done
  kill -0 "$1" 2> /dev/null && return 1
  ended_ms=$((($(date +%s%N) - start) / 1000000))
  wait "$1"
  ended_status=$?
}
