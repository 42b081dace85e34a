#!/usr/bin/env bash
# What the real player costs on an X server: time from start to its first
# picture, CPU share of one core over a stretch of animation, and peak
# resident memory (VmHWM). Runs on its own Xvfb, bare and under openbox
# when that is installed.
#
#   bench/player_desktop.sh [BIN_DIR] [SECONDS]
# BIN_DIR holds lumiscene and lumiscene-first-picture (default build/bin);
# SECONDS is the stretch CPU is measured over (default 10). The machine's other
# work shows in the CPU figure: run it more than once. XVFB_DISPLAY=N takes
# that display number instead of letting Xvfb pick a free one.
set -u
bin=${1:-build/bin}
seconds=${2:-10}
wm=""
also_ended=(wm)
source "$(dirname "$0")/desktop_lib.sh"
player="$bin/lumiscene"
require Xvfb "$player" "$watcher"

measure() {
  local label=$1
  start_xvfb
  if [ "$label" = openbox ]; then
    openbox > /dev/null 2>&1 &
    wm=$!
    sleep 1
  fi
  start_watched "$player"
  measure_cpu
  local hwm
  hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$program_pid/status")
  awk -v l="$label" -v f="$first" -v c="$cpu" -v h="$hwm" \
    'BEGIN { printf "%-8s first picture %s s   CPU %s %% of a core   VmHWM %.1f MB\n", l, f, c, h / 1024 }'
  kill "$program_pid" 2> /dev/null
  for _ in $(seq 50); do kill -0 "$program_pid" 2> /dev/null || break; sleep 0.1; done
  program_pid=""
  if [ -n "$wm" ]; then kill "$wm" 2> /dev/null; wait "$wm" 2> /dev/null; wm=""; fi
  stop_xvfb
}

measure bare
if command -v openbox > /dev/null; then measure openbox; else echo "openbox is not installed: measured bare only"; fi
