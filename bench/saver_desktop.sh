#!/usr/bin/env bash
# What the screensaver costs beside the player, on one Xvfb (1024 x 768, no
# window manager): time from start to its first picture, CPU share of one core
# over a stretch of animation, and the time from SIGTERM to its end. The
# player runs in its 640 x 480 window and full-screen (with xdotool, which
# presses T once its first picture, in the window, is there); the saver in a 640 x 480 window made by another program
# (tests/app/saver_host_window.py, as xscreensaver makes one), the same size,
# then in a 1024 x 768 one, the screen's size, where both scale every frame.
#
#   bench/saver_desktop.sh [BIN_DIR] [SECONDS]
# BIN_DIR holds lumiscene, lumiscene-saver and lumiscene-first-picture (default
# build/bin); SECONDS is the stretch CPU is measured over (default 10). The
# machine's other work shows in the CPU figure: run it more than once.
# XVFB_DISPLAY=N takes that display number instead of letting Xvfb pick a free one.
set -u
bin=${1:-build/bin}
seconds=${2:-10}
host_pid=""
also_ended=(host_pid)
source "$(dirname "$0")/desktop_lib.sh"
host_script="$(dirname "$0")/../tests/app/saver_host_window.py"
require Xvfb "$bin/lumiscene" "$bin/lumiscene-saver" "$watcher"
/usr/bin/python3 -c 'import Xlib' 2> /dev/null || { echo "saver_desktop: python3-xlib is missing"; exit 1; }

start_xvfb
sleep 0.5

# measure LABEL PROGRAM [ARGS...]
measure() {
  local label=$1
  shift
  start_watched "$@"
  # The player full-screen: T, once its window is there.
  if [ "$label" = "player full-screen" ]; then
    xdotool key --window "$(xdotool search --name Lumiscene | head -n 1)" t
  fi
  measure_cpu
  local start ended
  start=$(date +%s%N)
  kill -TERM "$program_pid"
  while kill -0 "$program_pid" 2> /dev/null && [ "$(cut -d' ' -f3 "/proc/$program_pid/stat")" != Z ]; do sleep 0.002; done
  ended=$((($(date +%s%N) - start) / 1000000))
  program_pid=""
  awk -v l="$label" -v f="$first" -v c="$cpu" -v e="$ended" \
    'BEGIN { printf "%-22s first picture %s s   CPU %s %% of a core   SIGTERM to end %d ms\n", l, f, c, e }'
}

# with_host WIDTH HEIGHT: a host window at the screen's corner; sets $host.
with_host() {
  rm -f "$work/host.in"
  mkfifo "$work/host.in"
  /usr/bin/python3 "$host_script" "$1" "$2" < "$work/host.in" > "$work/host.out" &
  host_pid=$!
  exec 7> "$work/host.in"
  for _ in $(seq 50); do [ -s "$work/host.out" ] && break; sleep 0.1; done
  host=$(head -n 1 "$work/host.out")
}
close_host() {
  exec 7>&-
  wait "$host_pid" 2> /dev/null
  host_pid=""
}

measure "player 640x480" "$bin/lumiscene"
command -v xdotool > /dev/null && measure "player full-screen" "$bin/lumiscene"
with_host 640 480
measure "saver 640x480 host" "$bin/lumiscene-saver" --window-id "$host"
close_host
with_host 1024 768
measure "saver 1024x768 host" "$bin/lumiscene-saver" --window-id "$host"
close_host
