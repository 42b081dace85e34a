#!/usr/bin/env bash
# The pictures a user chooses in lumiscene.scr's settings, under Wine with its
# real registry and open-file dialog:
#   /c      Browse (Alt+B) opens the open-file dialog, the file typed there is
#           shown and OK stores it as HKCU\Software\Lumiscene Picture1;
#   /s      with that choice shows the chosen picture (a flat colour, so that
#           the drift and the shimmer leave it as it is), and so does
#           lumiscene.exe;
#   /c      "Use the built-in pictures" (Alt+U) and OK remove both values.
#
# pictures_wine_test.sh STATE_DIR LUMISCENE_SCR LUMISCENE_EXE WINDOW_PROBE_EXE WORK_DIR
set -u
state=$1 saver=$2 player=$3 probe_exe=$4 work=$5
# shellcheck source=wine_test_lib.sh
. "$(dirname "$0")/wine_test_lib.sh"

probe() {  # probe main | settings | dialog TITLE: the reported values as shell variables
  found=0 settings=0 dialog_found=0 first_path='' second_path=''
  run_probe "$@"
}
registry_value() {  # the REG_SZ data of a value of HKCU\Software\Lumiscene, or nothing
  wine reg query 'HKCU\Software\Lumiscene' /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}
open_settings() {  # starts /c and waits for its dialog; false when it does not come
  bash "$here/wine_run.sh" "$state" "$saver" /c >"$work/c.log" 2>&1 &
  saver_pid=$!
  for _ in $(seq 60); do
    probe settings
    [ "$settings" = 1 ] && return 0
    sleep 0.25
  done
  return 1
}
press_ok() {  # clicks the settings dialog's OK and checks that /c ends with status 0
  probe settings
  xdotool mousemove $((button_left + button_width / 2)) $((button_top + button_height / 2)) click 1
  if ended "$saver_pid" 5; then
    [ "$status" = 0 ] && check "OK ends /c with status 0 ($1)" || fail "/c ended with status $status ($1)"
  else
    fail "OK left /c running ($1)"
    kill "$saver_pid" 2>/dev/null
  fi
}

# A flat colour a 16-bit display shows nearly unchanged.
/usr/bin/convert -size 800x600 xc:'#2080E0' -quality 95 "$work/blue.jpg"
blue=$(winepath -w "$work/blue.jpg" 2>/dev/null | tr -d '\r')
wine reg delete 'HKCU\Software\Lumiscene' /f >/dev/null 2>&1

# --- Browse and OK store the choice -----------------------------------------
if open_settings; then
  [ "$first_path" = "(the built-in picture)" ] && check "/c shows the built-in picture 1 at first" ||
    fail "/c shows picture 1 as '$first_path'"
  xdotool key alt+b
  for _ in $(seq 40); do
    probe dialog "Picture 1, the panorama"
    [ "$dialog_found" = 1 ] && break
    sleep 0.25
  done
  if [ "$dialog_found" = 1 ]; then
    check "Browse opens the open-file dialog"
    sleep 0.5
    xdotool type --delay 20 "$blue"
    xdotool key Return
    for _ in $(seq 40); do
      probe settings
      [ "$first_path" = "$blue" ] && break
      sleep 0.25
    done
    [ "$first_path" = "$blue" ] && check "the chosen file is shown" || fail "the dialog shows '$first_path'"
  else
    fail "Browse opened no open-file dialog"
  fi
  press_ok "after Browse"
else
  fail "/c shows no settings dialog"
fi
stored=$(registry_value Picture1)
[ "$stored" = "$blue" ] && check "Picture1 is stored in the registry" || fail "Picture1 is '$stored'"

# --- /s shows the stored picture --------------------------------------------
# The pointer waits inside the 640 x 480 mode's screen, where Wine sees its moves.
xdotool mousemove 300 200
bash "$here/wine_run.sh" "$state" "$saver" /s >"$work/saver.log" 2>&1 &
saver_pid=$!
# shows_blue GEOMETRY: whether that part of the screen is the blue picture;
# sets $mean (its average colour) and $spread.
shows_blue() {
  /usr/bin/import -window root "$work/screen.png"
  read -r mean spread < <(/usr/bin/convert "$work/screen.png" -crop "$1" +repage -colorspace sRGB \
    -format '%[fx:int(255*mean.r)],%[fx:int(255*mean.g)],%[fx:int(255*mean.b)] %[fx:standard_deviation]\n' info:)
  local r g b
  IFS=, read -r r g b <<<"$mean"
  [ $((r - 32)) -ge -12 ] && [ $((r - 32)) -le 12 ] && [ $((g - 128)) -ge -12 ] && [ $((g - 128)) -le 12 ] &&
    [ $((b - 224)) -ge -12 ] && [ $((b - 224)) -le 12 ] && awk -v s="$spread" 'BEGIN { exit !(s < 0.03) }'
}
shown=0
for _ in $(seq 150); do
  # Above the labels at the bottom: the picture alone.
  if shows_blue 600x400+20+20; then
    shown=1
    break
  fi
  kill -0 "$saver_pid" 2>/dev/null || break
  sleep 0.1
done
[ "$shown" = 1 ] && check "/s shows the chosen picture ($mean)" ||
  fail "/s does not show the chosen picture (mean $mean, spread $spread)"
eval "$(xdotool getmouselocation --shell)"
xdotool mousemove $((X + 40)) $((Y + 10))
if ended "$saver_pid" 3; then
  [ "$status" = 0 ] && check "/s ends with status 0" || fail "/s ended with status $status"
else
  fail "/s still runs after the pointer moved"
  xdotool mousemove 10 10 sleep 0.5 mousemove 200 150
  kill "$saver_pid" 2>/dev/null
fi

# --- lumiscene.exe shows it too -------------------------------------------
bash "$here/wine_run.sh" "$state" "$player" >"$work/player.log" 2>&1 &
player_pid=$!
shown=0
for _ in $(seq 100); do
  probe main
  if [ "$found" = 1 ] && shows_blue "600x400+$((client_left + 20))+$((client_top + 20))"; then
    shown=1
    break
  fi
  sleep 0.1
done
[ "$shown" = 1 ] && check "lumiscene.exe shows the chosen picture ($mean)" ||
  fail "lumiscene.exe does not show the chosen picture (mean ${mean:-?}, spread ${spread:-?})"
[ "$found" = 1 ] && xdotool mousemove $((client_left + 100)) $((client_top + 100)) key Escape
if ended "$player_pid" 5; then
  [ "$status" = 0 ] && check "Esc ends lumiscene.exe with status 0" || fail "lumiscene.exe ended with status $status"
else
  fail "lumiscene.exe still runs after Esc"
  kill "$player_pid" 2>/dev/null
fi

# --- "Use the built-in pictures" clears both values -------------------------
wine reg add 'HKCU\Software\Lumiscene' /v Picture2 /t REG_SZ /d "$blue" /f >/dev/null 2>&1
if open_settings; then
  [ "$second_path" = "$blue" ] && check "/c shows the stored picture 2" || fail "/c shows picture 2 as '$second_path'"
  xdotool key alt+u
  sleep 0.5
  probe settings
  [ "$first_path$second_path" = "(the built-in picture)(the built-in picture)" ] &&
    check "the built-in pictures are shown as chosen" || fail "after Alt+U: '$first_path', '$second_path'"
  press_ok "after the built-in pictures"
else
  fail "/c shows no settings dialog the second time"
fi
wine reg query 'HKCU\Software\Lumiscene' /v Picture1 >/dev/null 2>&1 && fail "Picture1 is still stored" ||
  check "Picture1 is removed"
wine reg query 'HKCU\Software\Lumiscene' /v Picture2 >/dev/null 2>&1 && fail "Picture2 is still stored" ||
  check "Picture2 is removed"

[ "$failures" = 0 ] || { echo "$failures check(s) failed; screenshots in $work"; exit 1; }
echo "chosen pictures under Wine: all checks passed"
