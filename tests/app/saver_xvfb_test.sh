#!/usr/bin/env bash
# lumiscene-saver, the xscreensaver hack, on a real X server: its command line
# without a display; then drawing into a window made by another program (as
# xscreensaver makes one), filling it at 800 x 600, with black bars left and
# right at 1000 x 500, following it to 1024 x 768, animated all along, and
# ending with status 0 on SIGTERM; the same through a GPU renderer; ending quietly when that window is
# destroyed, also with SIGTERM right after, and filling a preview-sized one
# on a 640 x 480 screen; in a resizable window of its own; on the root, ending on SIGINT even when started with it ignored;
# refusing a window that does not exist.
#   saver_xvfb_test.sh SAVER VERSION PICTURE1
set -u
saver=$1
version=$2
picture=$3
source "$(dirname "$0")/desktop_lib.sh"
python=/usr/bin/python3
"$python" -c 'import Xlib' 2> /dev/null || { echo "skipped: python3-xlib is not installed"; exit 77; }
host_script="$(dirname "$0")/saver_host_window.py"
source "$(dirname "$0")/saver_lib.sh"
failures=0
check() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The command line, without a display (5 s at most: it must never wait for one).
run() {
  local name=$1
  shift
  timeout 5 env -u WAYLAND_DISPLAY -u DISPLAY -u XSCREENSAVER_WINDOW "$@" > "$work/$name.out" 2> "$work/$name.err"
  echo $? > "$work/$name.status"
}
run help "$saver" --help
[ "$(cat "$work/help.status")" = 0 ] || check "--help ended with $(cat "$work/help.status")"
for word in Usage --window-id --root XSCREENSAVER_WINDOW SIGTERM 1280; do
  grep -q -- "$word" "$work/help.out" || check "--help does not mention $word"
done
run version "$saver" --version
[ "$(cat "$work/version.out")" = "lumiscene-saver $version" ] || check "--version said '$(cat "$work/version.out")'"
for bad in "--fullscreen" "-window-id" "--window-id 0x" "--window-id 12abc"; do
  # shellcheck disable=SC2086
  run bad "$saver" $bad
  [ "$(cat "$work/bad.status")" = 2 ] || check "'$bad' ended with $(cat "$work/bad.status")"
  [ "$(wc -l < "$work/bad.err")" = 1 ] || check "'$bad' gave: $(cat "$work/bad.err")"
done
run nodisplay "$saver" --root
[ "$(cat "$work/nodisplay.status")" = 1 ] || check "without a display: status $(cat "$work/nodisplay.status")"
grep -q "xvfb-run lumiscene-saver" "$work/nodisplay.err" || check "without a display: $(cat "$work/nodisplay.err")"

start_desktop 1280x1024

# open_host WIDTH HEIGHT: the host window at the screen's corner; sets $host to its id.
host_pid=""
open_host() {
  rm -f "$work/host.in"
  mkfifo "$work/host.in"
  "$python" "$host_script" "$1" "$2" < "$work/host.in" > "$work/host.out" 2> "$work/host.err" &
  host_pid=$!
  exec 7> "$work/host.in"
  for _ in $(seq 50); do [ -s "$work/host.out" ] && break; sleep 0.1; done
  host=$(head -n 1 "$work/host.out")
  [ -n "$host" ] || fail "the host window did not open: $(cat "$work/host.err")"
}
# host_says COMMAND: has the host window do it, and waits until it is done.
host_says() {
  local answers
  answers=$(wc -l < "$work/host.out")
  echo "$1" >&7
  for _ in $(seq 50); do
    [ "$(wc -l < "$work/host.out")" -gt "$answers" ] && return
    sleep 0.1
  done
  fail "the host window did not do '$1'"
}
close_host() {
  exec 7>&-
  wait "$host_pid" 2> /dev/null
  host_pid=""
}

# ends_cleanly WHAT: the saver ends within 2 s with status 0, else a check
# fails naming WHAT; false when it did not end.
ends_cleanly() {
  if ! ends_within "$player_pid" 2; then
    check "$1: it did not end within 2 s"
    return 1
  fi
  [ "$ended_status" = 0 ] || check "$1: status $ended_status"
}

# fills_host FILE WIDTH HEIGHT: the frame fills a WIDTH x HEIGHT host (4:3, no bars).
fills_host() {
  local region="${2}x${3}+0+0"
  shows_picture "$1" "$region" || check "${2}x${3}: the host does not show the picture"
  local white black
  white=$(white_share "$1" "$region")
  awk -v w="$white" 'BEGIN { exit !(w < 0.001) }' || check "${2}x${3}: part of the host is left undrawn ($white white)"
  for strip in "20x${3}+0+0" "20x${3}+$(($2 - 20))+0" "${2}x20+0+0" "${2}x20+0+$(($3 - 20))"; do
    black=$(black_share "$1" "$strip")
    awk -v b="$black" 'BEGIN { exit !(b < 0.02) }' || check "${2}x${3}: a bar at $strip ($black black)"
  done
}

open_host 800 600
"$saver" --window-id "$host" > "$work/player.log" 2>&1 &
player_pid=$!
wait_for_picture "$work/first.png" 800x600+0+0 || fail "no picture in the 800 x 600 host within 15 s"
sleep 1
screenshot "$work/a.png"
fills_host "$work/a.png" 800 600
sleep 1
screenshot "$work/b.png"
moved=$(/usr/bin/compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1)
[ "${moved%% *}" -gt 1000 ] 2> /dev/null || check "the picture does not move ($moved pixels changed in 1 s)"

# Wider than 4:3: the frame at the host's height (667 x 500), centred between black bars.
host_says "resize 1000 500"
sleep 1
screenshot "$work/wide.png"
shows_picture "$work/wide.png" 667x500+166+0 || check "1000x500: the picture is not between the bars"
for bar in 0 834; do
  black=$(black_share "$work/wide.png" "166x500+$bar+0")
  awk -v b="$black" 'BEGIN { exit !(b > 0.999) }' || check "1000x500: no black bar at x=$bar ($black black)"
done
black=$(black_share "$work/wide.png" 667x500+166+0)
awk -v b="$black" 'BEGIN { exit !(b < 0.02) }' || check "1000x500: the frame does not fill its place ($black black)"

host_says "resize 1024 768"
sleep 1
screenshot "$work/large.png"
fills_host "$work/large.png" 1024 768

kill -TERM "$player_pid"
ends_cleanly SIGTERM && echo "SIGTERM ended it in $ended_ms ms"
stop player_pid
close_host

# Drawn through a renderer (OpenGL where the machine has it), for which SDL
# makes its X window anew: the new one must be the one inside the host.
open_host 400 300
LUMISCENE_PRESENT=gpu "$saver" --window-id "$host" > "$work/player.log" 2>&1 &
player_pid=$!
wait_for_picture "$work/gpu.png" 400x300+0+0 || fail "no picture in the host through a renderer within 15 s"
sleep 0.5
screenshot "$work/gpu.png"
fills_host "$work/gpu.png" 400 300
stop player_pid
close_host

# With no window named: one of its own, 640 x 480, that the user may resize;
# at 800 x 400 the frame is 533 x 400 between bars.
env -u XSCREENSAVER_WINDOW "$saver" > "$work/player.log" 2>&1 &
player_pid=$!
for _ in $(seq 100); do
  window=$(xdotool search --name Lumiscene 2> /dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no window of its own appeared"
read -r own_x own_y <<< "$(window_position)"
wait_for_picture "$work/own.png" "640x480+$own_x+$own_y" || fail "no picture in its own window within 15 s"
xdotool windowsize "$window" 800 400
sleep 1
screenshot "$work/own.png"
shows_picture "$work/own.png" "533x400+$((own_x + 133))+$own_y" || check "own window: the picture is not between the bars"
for bar in "$own_x" "$((own_x + 667))"; do
  black=$(black_share "$work/own.png" "133x400+$bar+$own_y")
  awk -v b="$black" 'BEGIN { exit !(b > 0.999) }' || check "own window: no black bar at x=$bar ($black black)"
done
stop player_pid

# On the root (a 5:4 screen: bars above and below), started with SIGINT
# ignored as a shell's background jobs are; SIGINT must still end it.
env -u XSCREENSAVER_WINDOW "$saver" -root > "$work/player.log" 2>&1 &
player_pid=$!
wait_for_picture "$work/root.png" 1280x960+0+32 || fail "no picture on the root within 15 s"
shows_picture "$work/root.png" 1280x960+0+32 || check "root: the screen does not show the picture"
kill -INT "$player_pid"
ends_cleanly SIGINT
stop player_pid

"$saver" --window-id 0x1ffffff0 > "$work/none.out" 2> "$work/none.err"
status=$?
[ "$status" = 1 ] || check "a window that does not exist: status $status"
grep -q 0x1ffffff0 "$work/none.err" || check "a window that does not exist: $(cat "$work/none.err")"

# A preview-sized host on a screen no larger than the frame: none of the
# frame may be cut off wherever the program thought its window was.
stop_desktop
start_desktop 640x480

# xscreensaver may destroy its window before it ends the saver.
open_host 320 240
"$saver" -window-id "$(printf %d "$host")" > "$work/player.log" 2>&1 &
player_pid=$!
wait_for_picture "$work/preview.png" 320x240+0+0 || fail "no picture in the 320 x 240 host within 15 s"
sleep 0.5
screenshot "$work/preview.png"
fills_host "$work/preview.png" 320 240
host_says destroy
if ends_cleanly "a destroyed host" && [ -s "$work/player.log" ]; then
  check "a destroyed host: it said $(cat "$work/player.log")"
fi
stop player_pid
close_host

# As xscreensaver ends a saver: its window destroyed first, SIGTERM next; the
# saver (held stopped meanwhile) finds both waiting.
open_host 320 240
"$saver" --window-id "$host" > "$work/player.log" 2>&1 &
player_pid=$!
wait_for_picture "$work/preview.png" 320x240+0+0 || fail "no picture in the second 320 x 240 host within 15 s"
kill -STOP "$player_pid"
host_says destroy
kill -TERM "$player_pid"
kill -CONT "$player_pid"
ends_cleanly "destroyed host, then SIGTERM"
stop player_pid
close_host

[ "$failures" = 0 ] || exit 1
echo "saver_xvfb: all checks passed"
