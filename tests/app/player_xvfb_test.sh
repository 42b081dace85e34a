#!/usr/bin/env bash
# The Linux player on a real X server (Xvfb) with the SDL2 backend: it starts,
# shows picture 1 with both labels, and Esc from xdotool ends it with exit code 0.
set -u
player="$1"
picture="$2"
for tool in Xvfb xdotool /usr/bin/import /usr/bin/compare; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
# Xvfb picks a free display number itself and writes it to the descriptor,
# so parallel tests never race for one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$work/display" > /dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "skipped: Xvfb did not start"; exit 77; }
display=":$(cat "$work/display")"
player_pid=""
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2> /dev/null
  kill "$xvfb" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getmouselocation > /dev/null 2>&1 && break; sleep 0.1; done

"$player" > "$work/player.log" 2>&1 &
player_pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name "Lumiscene" 2> /dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no Lumiscene window appeared"; cat "$work/player.log"; exit 1; }
sleep 1.5

# The window's content is the menu strip above the 640 x 480 client area.
/usr/bin/import -window "$window" "$work/window.png"
/usr/bin/convert "$work/window.png" -gravity south -crop 640x480+0+0 +repage "$work/client.png"
/usr/bin/convert "$picture" "$work/picture.png"
# The shimmer and the labels differ a little from the plain picture; anything
# else (an empty window, the wrong picture) differs a lot.
rmse=$(/usr/bin/compare -metric RMSE "$work/client.png" "$work/picture.png" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
echo "client area against picture 1: normalised RMSE $rmse"
awk -v e="$rmse" 'BEGIN { exit !(e < 0.08) }' || { echo "FAIL: the client area does not show picture 1"; exit 1; }
# Both labels: orange letters in the bottom-left and bottom-right corners.
for corner in southwest southeast; do
  orange=$(/usr/bin/convert "$work/client.png" -gravity "$corner" -crop 160x30+0+0 +repage txt:- | grep -ci '#FFA000')
  [ "$orange" -gt 20 ] || { echo "FAIL: no orange label at the $corner corner ($orange pixels)"; exit 1; }
done

xdotool key --window "$window" Escape
for _ in $(seq 30); do kill -0 "$player_pid" 2> /dev/null || break; sleep 0.1; done
if kill -0 "$player_pid" 2> /dev/null; then echo "FAIL: Esc did not end the player within 3 s"; exit 1; fi
wait "$player_pid"
status=$?
player_pid=""
[ "$status" = 0 ] || { echo "FAIL: exit code $status"; exit 1; }
echo "player_xvfb: all checks passed"
