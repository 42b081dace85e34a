# Shared by the player's desktop tests: an Xvfb of a chosen size (with a
# window manager if asked), the player on it, its window, screenshots, and
# everything stopped again on exit. Source it, then call start_desktop.
# Exits 77 (skipped) when a tool is missing.
for tool in Xvfb xdotool xwininfo; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
dpkg -s imagemagick > /dev/null 2>&1 || { echo "skipped: ImageMagick is not installed"; exit 77; }
# Full paths: other programs may stand in for a bare `convert`.
convert=/usr/bin/convert
import=/usr/bin/import
# Sanitizer builds: X and SDL keep memory until exit on purpose.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
player_pid=""
# stop VARIABLE: ends the process whose id the variable holds, and clears it.
stop() {
  local pid=${!1}
  if [ -n "$pid" ]; then
    kill "$pid" 2> /dev/null
    # A player that ignores the request is ended all the same.
    for _ in $(seq 30); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2> /dev/null
    wait "$pid" 2> /dev/null
  fi
  printf -v "$1" '%s' ""
}
stop_desktop() {
  stop player_pid
  stop wm_pid
  stop xvfb_pid
}
cleanup() {
  stop_desktop
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -s "$work/player.log" ] && { echo "player output:"; cat "$work/player.log"; }
  exit 1
}

# start_desktop WIDTHxHEIGHT [openbox]: a black root, so that anything the
# player leaves undrawn shows as black. Xvfb picks a free display number; it
# must not reset when its last client leaves, or the player, connecting just as
# the readiness probe disconnects, finds its connection dropped.
start_desktop() {
  : > "$work/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -br -nolisten tcp -noreset 3> "$work/display" > /dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "skipped: Xvfb did not start"; exit 77; }
  export DISPLAY=":$(head -n 1 "$work/display" | tr -d '[:space:]')"
  for _ in $(seq 50); do xdotool getmouselocation > /dev/null 2>&1 && break; sleep 0.1; done
  if [ "${2:-}" = openbox ]; then
    command -v openbox > /dev/null || { echo "skipped: openbox is not installed"; exit 77; }
    openbox > /dev/null 2>&1 &
    wm_pid=$!
    for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q window && break; sleep 0.1; done
    # It announces itself before it has taken over the screen.
    sleep 0.5
  fi
}

# start_player PLAYER [ARGS...]: sets $window to the player's X window once it shows.
start_player() {
  "$@" > "$work/player.log" 2>&1 &
  player_pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name Lumiscene 2> /dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$player_pid" 2> /dev/null || fail "the player ended before its window showed"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no Lumiscene window appeared"
  # The first frames: pictures decoded, presented.
  sleep 1.5
}

# window_position: "X Y" of the window's content on the screen. Not from
# xdotool getwindowgeometry: in a window manager's frame it adds the content's
# offset inside the frame twice (openbox: 32,89 for content drawn at 31,69).
window_position() {
  xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }'
}

# screenshot FILE: the whole screen.
screenshot() { "$import" -window root "$1"; }

# pixel FILE X Y: the colour there as RRGGBB.
pixel() { "$convert" "$1" -crop "1x1+$2+$3" -depth 8 -format '%[hex:p{0,0}]' info: | cut -c1-6; }

# black_share FILE WxH+X+Y: the share (0..1) of black pixels in a region.
black_share() {
  "$convert" "$1" -crop "$2" +repage -fill white +opaque black -fill black -opaque black -colorspace gray \
    -format '%[fx:1-mean]' info:
}
