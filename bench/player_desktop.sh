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
player="$bin/lumiscene"
watcher="$bin/lumiscene-first-picture"
for tool in Xvfb "$player" "$watcher"; do
  command -v "$tool" > /dev/null || { echo "player_desktop: $tool is missing"; exit 1; }
done
ticks=$(getconf CLK_TCK)

work=$(mktemp -d)
xvfb=""
wm=""
player_pid=""
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2> /dev/null
  [ -n "$wm" ] && kill "$wm" 2> /dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# CPU ticks (user + system, every thread) the process has used so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure() {
  local label=$1
  if [ -n "${XVFB_DISPLAY:-}" ]; then
    echo "$XVFB_DISPLAY" > "$work/display"
    Xvfb ":$XVFB_DISPLAY" -screen 0 1024x768x24 -br -nolisten tcp -noreset > /dev/null 2>&1 &
    xvfb=$!
    sleep 0.5
  else
    : > "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -br -nolisten tcp -noreset 3> "$work/display" > /dev/null 2>&1 &
    xvfb=$!
  fi
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$work/display" | tr -d '[:space:]')"
  if [ "$label" = openbox ]; then
    openbox > /dev/null 2>&1 &
    wm=$!
    sleep 1
  fi
  # The window's client area lies inside this rectangle wherever a window manager puts it.
  read -r _ first player_pid < <("$watcher" 200 150 400 300 10 "$player")
  sleep 2
  local before after
  before=$(cpu_ticks "$player_pid")
  sleep "$seconds"
  after=$(cpu_ticks "$player_pid")
  local hwm
  hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$player_pid/status")
  awk -v l="$label" -v f="$first" -v b="$before" -v a="$after" -v t="$ticks" -v s="$seconds" -v h="$hwm" \
    'BEGIN { printf "%-8s first picture %s s   CPU %.1f %% of a core   VmHWM %.1f MB\n", l, f, 100 * (a - b) / t / s, h / 1024 }'
  kill "$player_pid" 2> /dev/null
  for _ in $(seq 50); do kill -0 "$player_pid" 2> /dev/null || break; sleep 0.1; done
  player_pid=""
  if [ -n "$wm" ]; then kill "$wm" 2> /dev/null; wait "$wm" 2> /dev/null; wm=""; fi
  kill "$xvfb" 2> /dev/null
  wait "$xvfb" 2> /dev/null
  xvfb=""
}

measure bare
if command -v openbox > /dev/null; then measure openbox; else echo "openbox is not installed: measured bare only"; fi
