#!/usr/bin/env bash
# Makes the README's picture of the screensaver in a preview-sized window
# (320 x 240, the size of xscreensaver's preview): lumiscene-saver drawing into
# a window made by another program on its own Xvfb, 4 s after it started.
# Needs Xvfb, ImageMagick, python3-xlib and a built tree (make build).
set -euo pipefail
cd "$(dirname "$0")"
. ../tools/script_support.sh
require_debian_packages make_saver_preview.sh imagemagick xvfb python3-xlib
find_imagemagick
saver=../build/bin/lumiscene-saver
work=$(mktemp -d)
xvfb="" saver_pid="" host_pid=""
cleanup() {
  # One after the other: a saver still ending when its X server goes would say so.
  for pid in $saver_pid $host_pid $xvfb; do
    kill "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3> "$work/display" > /dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display" | tr -d '[:space:]')"

mkfifo "$work/host.in"
/usr/bin/python3 ../tests/app/saver_host_window.py 320 240 < "$work/host.in" > "$work/host.out" &
host_pid=$!
exec 7> "$work/host.in"
for _ in $(seq 50); do [ -s "$work/host.out" ] && break; sleep 0.1; done
host=$(head -n 1 "$work/host.out")
"$saver" --window-id "$host" &
saver_pid=$!
sleep 4
/usr/bin/import -window "$host" "$work/preview.png"
"$IM" "$work/preview.png" -strip saver-preview.png
echo "made saver-preview.png"
