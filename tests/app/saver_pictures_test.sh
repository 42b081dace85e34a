#!/usr/bin/env bash
# lumiscene-saver with pictures of the user's on Xvfb: --picture1 shows the
# chosen picture in its own window, and a --picture2 it cannot use is reported
# on stderr while it goes on with the built-in one.
#   saver_pictures_test.sh SAVER BUILT_IN_PICTURE1
set -u
saver=$1
builtin=$2
source "$(dirname "$0")/desktop_lib.sh"
command -v cjpeg > /dev/null || { echo "skipped: cjpeg is not installed"; exit 77; }

# Picture 1 upside down and twice the size: each row's average, which the
# sideways drift leaves as it is, is far from the built-in picture's.
picture="$work/expected.png"
"$convert" "$builtin" -flip "$picture"
"$convert" "$builtin" -flip -sample 200% ppm:- | cjpeg -quality 95 > "$work/panorama.jpg"
printf 'not a picture\n' > "$work/notes.jpg"
source "$(dirname "$0")/saver_lib.sh"

start_desktop 1024x768
env -u XSCREENSAVER_WINDOW "$saver" --picture1 "$work/panorama.jpg" --picture2 "$work/notes.jpg" \
  > "$work/player.log" 2>&1 &
player_pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name Lumiscene 2> /dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$player_pid" 2> /dev/null || fail "the saver ended before its window showed"
  sleep 0.1
done
[ -n "$window" ] || fail "no window of its own appeared"
read -r x y <<< "$(window_position)"
wait_for_picture "$work/own.png" "640x480+$x+$y" || fail "no picture in its window within 15 s"
shows_picture "$work/own.png" "640x480+$x+$y" || fail "the window does not show the chosen picture 1"
picture="$builtin"
source "$(dirname "$0")/saver_lib.sh"
shows_picture "$work/own.png" "640x480+$x+$y" && fail "the window shows the built-in picture 1"
grep -qF "$work/notes.jpg: not a JPEG picture" "$work/player.log" || fail "the refused picture 2 was not reported"
grep -qF "the built-in picture is shown instead" "$work/player.log" || fail "the report does not say what is shown"
kill -0 "$player_pid" 2> /dev/null || fail "the saver ended after a refused picture"
stop player_pid
echo "saver_pictures: all checks passed"
