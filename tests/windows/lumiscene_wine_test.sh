#!/usr/bin/env bash
# lumiscene.exe under Wine, driven as a user would with xdotool inside Wine's
# virtual desktop: picture 1 with both labels; P and the readout; another key
# and the inset; Alt+Enter to full-screen at 640 x 480 and back to the same
# window with its menu (and no menu mode left behind: the next key still
# counts); File -> About and its button; Esc and exit code 0.
#
# lumiscene_wine_test.sh STATE_DIR LUMISCENE_EXE WINDOW_PROBE_EXE RESOURCES_DIR WORK_DIR
set -u
state=$1 exe=$2 probe_exe=$3 resources=$4 work=$5
# shellcheck source=wine_test_lib.sh
. "$(dirname "$0")/wine_test_lib.sh"
: >"$state/opened.txt"

probe() {  # probe main|about: sets the reported values as shell variables
  found=0 about=0 menu=0 menu_mode=0
  run_probe "$1"
}
shot() { /usr/bin/import -window root "$work/$1.png"; }
crop() {  # crop SHOT GEOMETRY OUT
  /usr/bin/convert "$work/$1.png" -crop "$2" +repage "$work/$3.png"
}
rmse() { /usr/bin/compare -metric RMSE "$work/$1.png" "$work/$2.png" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }
count_colour() { /usr/bin/convert "$work/$1.png" txt:- | grep -ci "$2"; }
client_geometry() { echo "${client_width}x${client_height}+${client_left}+${client_top}"; }

# References: picture 1 as the frame, and picture 2 as the inset's canvas.
/usr/bin/convert "$resources/picture1.jpg" "$work/picture1.png"
/usr/bin/convert "$resources/picture2.jpg" -background '#404020' -gravity center -extent 640x480 "$work/picture2.png"
inset=540x380+50+50
crop picture1 "$inset" picture1_inset
crop picture2 "$inset" picture2_inset

started=$(date +%s.%N)
bash "$here/wine_run.sh" "$state" "$exe" >"$work/lumiscene.log" 2>&1 &
player=$!
stop_player() { kill "$player" 2>/dev/null; }
trap stop_player EXIT

for _ in $(seq 60); do
  probe main
  [ "$found" = 1 ] && [ "${visible:-0}" = 1 ] && break
  sleep 0.5
done
[ "$found" = 1 ] || { fail "no Lumiscene window within 30 s"; cat "$work/lumiscene.log"; exit 1; }
echo "window up after $(awk -v s="$started" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }') s"
sleep 1.5
probe main
windowed_rect="$window_left $window_top $window_width $window_height"
[ "$client_width" = 640 ] && [ "$client_height" = 480 ] && check "client area 640 x 480" ||
  fail "client area ${client_width} x ${client_height}"
[ "$menu" = 1 ] && check "menu bar" || fail "no menu bar"

# Picture 1 fills the client area; the shimmer and labels differ a little from it.
shot start
crop start "$(client_geometry)" client
error=$(rmse client picture1)
below "$error" 0.08 && check "client area shows picture 1 (RMSE $error)" || fail "client area is not picture 1 (RMSE $error)"
for corner in southwest southeast; do
  /usr/bin/convert "$work/client.png" -gravity "$corner" -crop 160x30+0+0 +repage "$work/label.png"
  orange=$(count_colour label '#FFA000')
  [ "$orange" -gt 20 ] && check "orange label at the $corner corner" || fail "no orange label at the $corner ($orange)"
done

readout_shown() {  # the readout's grey box with white letters at the client's top left
  shot readout
  crop readout "140x14+$((client_left + 4))+$((client_top + 4))" readout_box
  grey=$(count_colour readout_box '#404040')
  white=$(count_colour readout_box '#FFFFFF')
  [ "$grey" -gt 400 ] && [ "$white" -gt 20 ]
}
xdotool key p
sleep 1
readout_shown && check "P shows the readout" || fail "P shows no readout (grey $grey, white $white)"
xdotool key p
sleep 1
readout_shown && fail "a second P leaves the readout on" || check "a second P hides the readout"

# Another key starts the inset: within 2 s its rectangle moves toward picture 2.
shot before_inset
crop before_inset "540x380+$((client_left + 50))+$((client_top + 50))" inset_before
xdotool key n
sleep 2
shot after_inset
crop after_inset "540x380+$((client_left + 50))+$((client_top + 50))" inset_after
d_before=$(rmse inset_before picture2_inset)
d_after=$(rmse inset_after picture2_inset)
below "$d_after" "$(awk -v d="$d_before" 'BEGIN { print d - 0.03 }')" &&
  check "the inset moves toward picture 2 (RMSE $d_before -> $d_after)" ||
  fail "the inset did not move toward picture 2 (RMSE $d_before -> $d_after)"
xdotool key n
sleep 0.5

# Alt+Enter: full-screen at 640 x 480 without the menu, and back.
xdotool key alt+Return
sleep 3
probe main
[ "${mode_width:-0}x${mode_height:-0}" = 640x480 ] && check "full-screen mode 640 x 480 x ${mode_bits:-?}" ||
  fail "full-screen mode is ${mode_width:-?} x ${mode_height:-?}"
[ "$menu" = 0 ] && check "no menu bar while full-screen" || fail "menu bar while full-screen"
# The pointer's moves pan the picture sideways, so compare row by row averages.
# On a busy machine the second key may reach the program late; the inset it
# ends would in any case be gone 6 s after the first, so look a few times.
/usr/bin/convert "$work/picture1.png" -scale '1x480!' "$work/picture1_rows.png"
for attempt in 1 2 3 4; do
  shot full
  crop full 640x480+0+0 full_frame
  /usr/bin/convert "$work/full_frame.png" -scale '1x480!' "$work/full_rows.png"
  error=$(rmse full_rows picture1_rows)
  below "$error" 0.08 && break
  sleep 1.5
done
below "$error" 0.08 && check "full-screen shows picture 1 (row RMSE $error)" ||
  fail "full-screen does not show picture 1 (row RMSE $error)"
for corner in southwest southeast; do
  /usr/bin/convert "$work/full_frame.png" -gravity "$corner" -crop 160x30+0+0 +repage "$work/label.png"
  orange=$(count_colour label '#FFA000')
  [ "$orange" -gt 20 ] && check "full-screen label at the $corner corner" ||
    fail "no full-screen label at the $corner ($orange)"
done

xdotool key alt+Return
sleep 3
probe main
[ "${mode_width:-0}x${mode_height:-0}" = 1024x768 ] && check "desktop mode back" ||
  fail "display mode after full-screen is ${mode_width:-?} x ${mode_height:-?}"
[ "$menu" = 1 ] && check "menu bar back" || fail "no menu bar after full-screen"
[ "$client_width" = 640 ] && [ "$client_height" = 480 ] && check "client area 640 x 480 again" ||
  fail "client area after full-screen ${client_width} x ${client_height}"
[ "$window_left $window_top $window_width $window_height" = "$windowed_rect" ] &&
  check "window back at its place and size" ||
  fail "window at $window_left $window_top $window_width $window_height, was $windowed_rect"
[ "$menu_mode" = 0 ] && check "no menu mode after Alt+Enter" || fail "Alt release left the window in menu mode"
# The next key after the accelerator reaches the program.
xdotool key p
sleep 1
readout_shown && check "the first key after Alt+Enter counts" || fail "the first key after Alt+Enter was lost"
xdotool key p
sleep 0.5

# File -> About with the mouse and the keyboard; the dialog's button closes it.
# The menu bar is the strip above the client area, "File" its first item.
if [ "$menu" = 1 ]; then
  xdotool mousemove $((client_left + 12)) $((client_top - 9)) click 1
  sleep 0.7
  xdotool key Down Return
  sleep 1.5
  probe about
  if [ "$about" = 1 ]; then
    check "File -> About opens the dialog (button '${button_text:-}')"
    shot about
    xdotool mousemove $((button_left + button_width / 2)) $((button_top + button_height / 2)) click 1
    sleep 1.5
    probe about
    [ "$about" = 0 ] && check "the dialog's button closes it" || fail "the dialog stays open after its button"
    grep -q 'starfield' "$state/opened.txt" && check "the button opened $(head -1 "$state/opened.txt")" ||
      fail "the button opened no web page"
  else
    fail "File -> About shows no dialog"
  fi
else
  fail "no menu bar for File -> About"
fi

# Esc ends the program with exit code 0 within 3 s.
xdotool mousemove 900 700
xdotool key Escape
ended=0
for _ in $(seq 30); do
  kill -0 "$player" 2>/dev/null || { ended=1; break; }
  sleep 0.1
done
if [ "$ended" = 1 ]; then
  wait "$player"
  status=$?
  [ "$status" = 0 ] && check "Esc ends the program with exit code 0" || fail "exit code $status after Esc"
else
  fail "Esc did not end the program within 3 s"
fi

[ "$failures" = 0 ] || { echo "$failures check(s) failed; screenshots in $work"; exit 1; }
echo "lumiscene.exe under Wine: all checks passed"
