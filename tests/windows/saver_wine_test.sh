#!/usr/bin/env bash
# lumiscene.scr under Wine, started as Windows starts a screensaver:
#   /s      fills the virtual desktop with the picture in the player's 640 x 480
#           mode; pointer jitter leaves it running, a real move ends it with
#           status 0 within 2 s and the desktop's mode is back;
#   /p HWND a child of saver_host's window at its client size, running until
#           that window is destroyed, then ending with status 0 (what it draws
#           cannot be seen here: Wine 8 shows nothing one process draws into
#           another's window, with DirectDraw or GDI alike, so the scaled
#           drawing is checked on the headless backend instead);
#   /c:HWND the settings dialog owned by saver_host's window, ended by Return,
#           and /c alone ended by a click on OK, both with status 0.
# Also prints the time from start to the first picture of /s.
#
# saver_wine_test.sh STATE_DIR LUMISCENE_SCR WINDOW_PROBE_EXE SAVER_HOST_EXE RESOURCES_DIR WORK_DIR
set -u
state=$1 saver=$2 probe_exe=$3 host_exe=$4 resources=$5 work=$6
# shellcheck source=wine_test_lib.sh
. "$(dirname "$0")/wine_test_lib.sh"

probe() {  # probe main|settings|mode: sets the reported values as shell variables
  found=0 settings=0 visible=0 mode_width=0 mode_height=0
  run_probe "$1"
}
load() {  # load FILE: saver_host's report so far, as shell variables
  tr -d '\r' <"$1" | grep -E '^[a-z_]+=[0-9]*$' >"$work/report.txt"
  # shellcheck disable=SC1091
  . "$work/report.txt"
}
elapsed() { awk -v s="$1" -v n="$(date +%s.%N)" 'BEGIN { printf "%.2f", n - s }'; }
rows_error() {  # the screen's top-left 640 x 480 against picture 1, row by row (the drift pans sideways)
  /usr/bin/import -window root "$work/screen.png"
  /usr/bin/convert "$work/screen.png" -crop 640x480+0+0 +repage "$work/frame.png"
  /usr/bin/convert "$work/frame.png" -scale '1x480!' "$work/frame_rows.png"
  /usr/bin/compare -metric RMSE "$work/frame_rows.png" "$work/picture1_rows.png" null: 2>&1 |
    sed 's/.*(\(.*\)).*/\1/'
}

/usr/bin/convert "$resources/picture1.jpg" -scale '1x480!' "$work/picture1_rows.png"

# --- /s ---------------------------------------------------------------------
# The pointer waits away from where the full-screen set-up puts it, inside the
# 640 x 480 mode's screen (Wine leaves a pointer outside its desktop alone).
xdotool mousemove 300 200
probe mode
desktop_mode="${mode_width}x${mode_height}"
started=$(date +%s.%N)
bash "$here/wine_run.sh" "$state" "$saver" /s >"$work/saver.log" 2>&1 &
saver_pid=$!
stop_saver() {  # a saver that is still up ends as savers do; killing the wrapper would not reach it
  kill -0 "$saver_pid" 2>/dev/null || return
  xdotool mousemove 10 10 sleep 0.5 mousemove 200 150 sleep 1
  kill "$saver_pid" 2>/dev/null
}
trap stop_saver EXIT
shown=0
for _ in $(seq 150); do
  error=$(rows_error)
  if below "$error" 0.08; then
    shown=1
    break
  fi
  kill -0 "$saver_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$shown" = 1 ]; then
  echo "first picture of /s after $(elapsed "$started") s"
  check "/s shows picture 1 (row RMSE $error)"
else
  fail "/s showed no picture within 15 s (row RMSE $error)"
  cat "$work/saver.log"
fi
probe main
[ "${mode_width}x${mode_height}" = 640x480 ] && check "/s runs in the 640 x 480 mode" ||
  fail "/s runs in the mode ${mode_width}x${mode_height}"
[ "$found" = 1 ] && [ "${window_left:-}${window_top:-}" = 00 ] && [ "${window_width:-}" = 640 ] &&
  [ "${window_height:-}" = 480 ] && [ "${menu:-}" = 0 ] && check "its window covers the screen, no menu" ||
  fail "its window is at ${window_left:-?},${window_top:-?} ${window_width:-?} x ${window_height:-?} (menu ${menu:-?})"
/usr/bin/convert "$work/frame.png" -gravity southeast -crop 160x30+0+0 +repage "$work/label.png"
orange=$(/usr/bin/convert "$work/label.png" txt:- | grep -ci '#FFA000')
[ "$orange" -gt 20 ] && check "with the player's label" || fail "no label at the bottom right ($orange)"

# Jitter of a few pixels around where the set-up left the pointer.
eval "$(xdotool getmouselocation --shell)"
xdotool mousemove $((X + 3)) $((Y - 2))
sleep 1
xdotool mousemove "$X" "$Y"
sleep 1
kill -0 "$saver_pid" 2>/dev/null && check "jitter of 3 pixels leaves /s running" || fail "jitter ended /s"

moved=$(date +%s.%N)
xdotool mousemove $((X + 40)) $((Y + 10))
if ended "$saver_pid" 2; then
  [ "$status" = 0 ] && check "a pointer move ends /s with status 0 after $(elapsed "$moved") s" ||
    fail "/s ended with status $status"
else
  fail "/s still runs 2 s after the pointer moved"
  stop_saver
fi
probe mode
[ "${mode_width}x${mode_height}" = "$desktop_mode" ] && check "the desktop's mode is $desktop_mode again" ||
  fail "the mode is ${mode_width}x${mode_height} after /s, was $desktop_mode"

# --- /p HWND ----------------------------------------------------------------
rm -f "$work/stop"
bash "$here/wine_run.sh" "$state" "$host_exe" preview "$saver" "$work/stop" >"$work/preview.txt" 2>&1 &
host_pid=$!
for _ in $(seq 150); do grep -q '^ready=' "$work/preview.txt" && break; sleep 0.1; done
load "$work/preview.txt"
[ "${child:-0}" = 1 ] && [ "${child_width:-}x${child_height:-}" = "${host_width:-}x${host_height:-}" ] &&
  check "/p puts a child of ${child_width} x ${child_height} into the window" ||
  fail "/p made no child of the window's client size (${child_width:-?} x ${child_height:-?})"
sleep 1
load "$work/preview.txt"
[ -z "${preview_ended:-}" ] && check "/p keeps running while the window is there" || fail "/p ended early"
touch "$work/stop"
if ended "$host_pid" 8; then
  load "$work/preview.txt"
  [ "${preview_ended:-0}" = 1 ] && [ "${preview_exit:-}" = 0 ] &&
    check "/p ends with status 0 when its window is destroyed" ||
    fail "/p after its window went: ended ${preview_ended:-?}, status ${preview_exit:-?}"
else
  fail "saver_host preview did not finish"
  kill "$host_pid" 2>/dev/null
fi

# --- /c:HWND and /c ---------------------------------------------------------
bash "$here/wine_run.sh" "$state" "$host_exe" settings "$saver" >"$work/settings.txt" 2>&1 &
host_pid=$!
for _ in $(seq 150); do grep -q '^ready=' "$work/settings.txt" && break; sleep 0.1; done
load "$work/settings.txt"
[ "${dialog:-0}" = 1 ] && check "/c:HWND shows the settings dialog" || fail "/c:HWND shows no dialog"
[ "${owned:-0}" = 1 ] && check "owned by that window" || fail "the dialog is not owned by the window given"
sleep 0.5
xdotool key Return
if ended "$host_pid" 5; then
  load "$work/settings.txt"
  [ "${settings_ended:-0}" = 1 ] && [ "${settings_exit:-}" = 0 ] && check "Return ends /c with status 0" ||
    fail "/c after Return: ended ${settings_ended:-?}, status ${settings_exit:-?}"
else
  fail "saver_host settings did not finish"
  kill "$host_pid" 2>/dev/null
fi

bash "$here/wine_run.sh" "$state" "$saver" /c >"$work/c.log" 2>&1 &
saver_pid=$!
for _ in $(seq 60); do
  probe settings
  [ "$settings" = 1 ] && break
  sleep 0.25
done
if [ "$settings" = 1 ]; then
  check "/c alone shows the settings dialog"
  /usr/bin/import -window root "$work/settings.png"
  xdotool mousemove $((button_left + button_width / 2)) $((button_top + button_height / 2)) click 1
  if ended "$saver_pid" 3; then
    [ "$status" = 0 ] && check "a click on OK ends /c with status 0" || fail "/c ended with status $status"
  else
    fail "a click on OK left /c running"
  fi
else
  fail "/c alone shows no dialog"
fi

[ "$failures" = 0 ] || { echo "$failures check(s) failed; screenshots in $work"; exit 1; }
echo "lumiscene.scr under Wine: all checks passed"
