#!/usr/bin/env bash
# A request to end the player does not wait for a user to leave an open menu or
# dialog (a logout, a service manager, a window manager's close): with the File
# menu pulled down by Alt+F or by a click on the menu strip, or with the About
# dialog up, SIGTERM, SIGINT and openbox's close (Alt+F4) each end it with
# status 0 within a few seconds.
#   player_close_test.sh PLAYER
set -u
player=$1
source "$(dirname "$0")/desktop_lib.sh"

# selected X Y: the content's pixel there is in the selection colour: the File
# title while its menu is pulled down, the About dialog's caption bar.
selected() {
  local x y at
  read -r x y < <(window_position)
  screenshot "$work/modal.png"
  at=$(pixel "$work/modal.png" $((x + $1)) $((y + $2)))
  [ "${at,,}" = 0a246a ]
}
# shows_selected X Y: the same, given up to 5 s on a busy machine.
shows_selected() {
  for _ in $(seq 25); do selected "$1" "$2" && return 0; sleep 0.2; done
  return 1
}

# open_modal HOW: menu-key, menu-click or about.
open_modal() {
  local x y
  case $1 in
    menu-key) xdotool key --window "$window" alt+f ;;
    menu-click)
      read -r x y < <(window_position)
      xdotool mousemove $((x + 10)) $((y + 5)) click 1
      ;;
    about)
      xdotool key --window "$window" alt+f
      shows_selected 3 3 || fail "$manager: the menu did not open"
      xdotool key --window "$window" a
      ;;
  esac
}

# ends_promptly WHAT: the player ends within 5 s with status 0.
ends_promptly() {
  for _ in $(seq 50); do kill -0 "$player_pid" 2> /dev/null || break; sleep 0.1; done
  kill -0 "$player_pid" 2> /dev/null && fail "$1: the player was still running 5 s later"
  wait "$player_pid"
  local status=$?
  player_pid=""
  [ "$status" = 0 ] || fail "$1: exit status $status"
  echo "$1: ended with status 0"
}

for manager in bare openbox; do
  start_desktop 1024x768 "$manager"
  for case in menu-key:TERM menu-click:INT about:TERM about:close; do
    how=${case%%:*}
    request=${case#*:}
    [ "$request" = close ] && [ "$manager" = bare ] && continue
    # A shell's background jobs start with SIGINT ignored, which the player keeps.
    start_player env --default-signal=INT "$player"
    open_modal "$how"
    if [ "$how" = about ]; then
      shows_selected 160 160 || fail "$manager: the About dialog did not open"
      selected 3 3 && fail "$manager: the menu stayed pulled down under the About dialog"
    else
      shows_selected 3 3 || fail "$manager $how: the menu did not open"
    fi
    if [ "$request" = close ]; then
      xdotool key alt+F4
    else
      kill -"$request" "$player_pid"
    fi
    ends_promptly "$manager, $how, $request"
  done
  stop_desktop
done
echo "player_close: all checks passed"
