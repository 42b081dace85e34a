#!/usr/bin/env bash
# lumiscene-render: the program releases its display from its global destructors
# at exit, after the last frame. Whatever state the display was left in
# (full-screen, windowed again, after a loss, a mode change or another program
# holding it), that release must end cleanly: no crash, no sanitizer report.
set -u
render="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ends_cleanly DEPTH SCRIPT: renders frame 300 and checks the run's status,
# its frame and a silent standard error.
ends_cleanly() {
  rm -rf "$work/out"
  "$render" --out "$work/out" --at 300 --depth "$1" --events "$2" > "$work/out.txt" 2> "$work/err.txt"
  local got=$?
  if [ "$got" != 0 ] || [ -s "$work/err.txt" ]; then
    fail "exit $got at depth $1 with events $2"; head -n 5 "$work/err.txt"
  elif [ ! -f "$work/out/screen-300.ppm" ]; then
    fail "no screen-300.ppm at depth $1 with events $2"
  fi
}

# An 8-bit desktop starts full-screen, where T goes windowed: every list ends in both modes.
for depth in 8 16 16-555 24 32 32-bgr; do
  ends_cleanly "$depth" 100:press:T
  ends_cleanly "$depth" 100:press:alt+Return
  ends_cleanly "$depth" 100:press:T,200:press:T
  for fault in lose-surfaces mode-change exclusive-on exclusive-on,220:exclusive-off; do
    ends_cleanly "$depth" "150:$fault"
    ends_cleanly "$depth" "100:press:T,150:$fault"
  done
done

if [ "$failures" != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "render_release: all checks passed"
