# What bench/player_desktop.sh and bench/saver_desktop.sh share: the Xvfb they
# run on, a work folder, ending what they started when they end however they
# end, and the program's first picture and CPU share. Sourced, after the
# script has set
#   bin          the folder holding the programs and lumiscene-first-picture
#   seconds      the stretch CPU is measured over
#   also_ended   names of the variables holding the pids of what the script
#                starts besides the measured program and Xvfb (a window manager,
#                a host window), ended on exit when still set
# and before it checks for its tools with require.

watcher="$bin/lumiscene-first-picture"
ticks=$(getconf CLK_TCK)
work=$(mktemp -d)
xvfb=""
program_pid=""

cleanup() {
  local name
  for name in program_pid "${also_ended[@]}" xvfb; do
    [ -n "${!name:-}" ] && kill "${!name}" 2> /dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

# require TOOL...: ends the script with one line when a tool or program is missing.
require() {
  local tool
  for tool; do
    command -v "$tool" > /dev/null || { echo "$(basename "$0" .sh): $tool is missing"; exit 1; }
  done
}

# A 1024 x 768 screen on display XVFB_DISPLAY, else on one Xvfb finds free; exports DISPLAY.
start_xvfb() {
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
}

stop_xvfb() {
  kill "$xvfb" 2> /dev/null
  wait "$xvfb" 2> /dev/null
  xvfb=""
}

# start_watched PROGRAM [ARGS...]: starts the program and returns once its first
# picture shows in the rectangle 400 x 300 at (200, 150), which lies inside the
# player's window wherever a window manager puts it and inside every saver host.
# Sets first (the seconds that took) and program_pid.
start_watched() {
  read -r _ first program_pid < <("$watcher" 200 150 400 300 10 "$@")
}

# CPU ticks (user + system, every thread) the process has used so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The program's CPU share of one core over $seconds, once it has run 2 s more
# to settle: sets cpu, in per cent with one decimal.
measure_cpu() {
  sleep 2
  local before after
  before=$(cpu_ticks "$program_pid")
  sleep "$seconds"
  after=$(cpu_ticks "$program_pid")
  cpu=$(awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * (a - b) / t / s }')
}
