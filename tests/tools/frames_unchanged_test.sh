#!/usr/bin/env bash
# Speed work must never change a pixel: renders a fixed set of event scripts at
# every display depth with lumiscene-render and compares every written frame
# and screen with the checksums recorded in tests/data/frames/frames.sha256.
#
#   frames_unchanged_test.sh RENDER            check
#   frames_unchanged_test.sh RENDER --update   record anew (only after a change
#                                              that is meant to alter frames)
set -u
render="$1"
mode="${2:-check}"
here=$(cd "$(dirname "$0")" && pwd)
golden="$here/../data/frames/frames.sha256"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name | times | events: panning, the inset with the readout, inactivity, the
# display faults and full-screen both ways.
scripts=(
  "pan|10,400,1500|0:pointer:100:100,200:pointer:300:120,300:pointer:40:400,1000:pointer:639:0"
  "inset|1000,2500,5000,6600|100:key,200:press:P,900:pointer:200:200"
  "inactive|300,800|0:pointer:10:10,100:deactivate,200:pointer:400:10,600:activate,700:pointer:500:10"
  "faults|200,400,600|100:lose-surfaces,250:mode-change,350:exclusive-on,450:exclusive-off,550:press:P"
  "fullscreen|200,400|100:press:T,150:key,300:press:alt+Return"
)
depths=(8 16 16-555 24 32 32-bgr)

for script in "${scripts[@]}"; do
  IFS='|' read -r name times events <<< "$script"
  for depth in "${depths[@]}"; do
    out="$work/$name-$depth"
    # The exit status is not compared: only what was drawn.
    "$render" --out "$out" --at "$times" --depth "$depth" --events "$events" > /dev/null 2>&1
  done
done
# One run across the timer's inset at 30 s.
"$render" --out "$work/timer-32" --at 29990,31000,33000,36100 --depth 32 > /dev/null 2>&1

(cd "$work" && find . -name '*.ppm' | sort | xargs sha256sum) > "$work/actual.sha256"

if [ "$mode" = --update ]; then
  cp "$work/actual.sha256" "$golden"
  echo "recorded $(wc -l < "$golden") checksums in $golden"
  exit 0
fi
if ! diff -u "$golden" "$work/actual.sha256"; then
  echo "FAIL: frames differ from the recorded ones (lines marked - are the recorded)"
  exit 1
fi
echo "frames_unchanged: $(wc -l < "$golden") frames identical"
