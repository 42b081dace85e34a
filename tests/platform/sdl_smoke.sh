#!/usr/bin/env bash
# Smoke test of the SDL backend under a virtual X server.
#   sdl_smoke.sh <platform_sdl_smoke binary> <work dir>
# Starts Xvfb on a display of its choosing, runs the program until it reports its frame is
# up, takes a screenshot and checks that the client area shows exactly the
# presented frame and that the menu strip is drawn above it. Also checks that
# without a display the window cannot be created and the program says so.
# Exits 77 (skipped) when Xvfb or ImageMagick is not installed.
set -euo pipefail
program=$1
work=$2

command -v Xvfb > /dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
dpkg -s imagemagick > /dev/null 2>&1 || { echo "ImageMagick is not installed: skipped"; exit 77; }
# Call ImageMagick by its full path: other programs may stand in for a bare `convert`.
convert=/usr/bin/convert
import=/usr/bin/import

mkdir -p "$work"
rm -f "$work"/*.rgb "$work"/*.png "$work"/out.txt

# Sanitizer builds: X and SDL keep memory until exit on purpose.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
export SDL_VIDEODRIVER=x11

# Without a display, window creation fails cleanly (exit code 2 of the program).
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$work" > /dev/null 2>&1 || status=$?
if [ "$status" != 2 ]; then
  echo "without a display the program ended with $status, expected 2 (window creation failed)"
  exit 1
fi

xvfb_pid=
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2> /dev/null || true; wait "$program_pid" 2> /dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2> /dev/null || true; wait "$xvfb_pid" 2> /dev/null || true; fi
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to descriptor 3, so
# several X tests may run at once without racing for a number.
: > "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$work/display" > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
for _ in $(seq 100); do
  display=$(head -n 1 "$work/display" | tr -d '[:space:]')
  [ -n "$display" ] && break
  sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display"

"$program" "$work" > "$work/out.txt" 2> "$work/err.txt" &
program_pid=$!
ready=
for _ in $(seq 200); do
  ready=$(grep '^ready' "$work/out.txt" || true)
  [ -n "$ready" ] && break
  kill -0 "$program_pid" 2> /dev/null || { echo "the program ended early:"; cat "$work/err.txt"; exit 1; }
  sleep 0.1
done
[ -n "$ready" ] || { echo "the program never showed its frame"; exit 1; }
read -r _ x y width height strip <<< "$ready"
sleep 0.5

"$import" -display ":$display" -window root "$work/screen.png"
"$convert" "$work/screen.png" -crop "${width}x${height}+${x}+${y}" +repage -depth 8 "rgb:$work/client.rgb"
if ! cmp -s "$work/client.rgb" "$work/expected.rgb"; then
  echo "the client area at $x,$y (${width}x${height}) does not show the presented frame"
  exit 1
fi

# The menu strip: the interface colour with the darker "File" on it.
strip_top=$((y - strip))
face=$("$convert" "$work/screen.png" -crop "1x1+$((x + 300))+$((strip_top + strip / 2))" -format '%[hex:p{0,0}]' info:)
colours=$("$convert" "$work/screen.png" -crop "48x${strip}+${x}+${strip_top}" +repage -format '%k' info:)
if [ "${face:0:6}" != "D4D0C8" ] || [ "$colours" -lt 2 ]; then
  echo "no menu strip above the client area (colour $face, $colours colours where the menu title is)"
  exit 1
fi
echo "window content at $x,$y: frame and menu strip are on the screen"
