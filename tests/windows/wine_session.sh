#!/usr/bin/env bash
# wine_session.sh start|stop STATE_DIR
#
# One Wine session for a whole test run: a virtual X server, a fresh Wine
# prefix under STATE_DIR whose programs all open inside Wine's virtual desktop
# (1024 x 768, which also offers full-screen modes and needs no window
# manager), and a persistent wineserver. `start` pays for the prefix creation
# once; the tests then source STATE_DIR/env and run their programs with plain
# `wine`. `stop` ends what `start` started, by the ids it saved.
# Exit 77 (skipped) when Wine or Xvfb is missing.
set -u
action=${1:?start or stop}
state=${2:?state folder}
mkdir -p "$state"
state=$(cd "$state" && pwd)

stop_session() {
  if [ -f "$state/env" ]; then
    # shellcheck disable=SC1091
    . "$state/env"
    wineserver -k >/dev/null 2>&1 || true
  fi
  for pid_file in "$state"/*.pid; do
    [ -f "$pid_file" ] || continue
    kill "$(cat "$pid_file")" 2>/dev/null || true
    rm -f "$pid_file"
  done
}

if [ "$action" = stop ]; then
  stop_session
  exit 0
fi

for tool in wine wineserver Xvfb; do
  command -v "$tool" >/dev/null || { echo "wine_session: $tool is not installed"; exit 77; }
done
stop_session

# A display number nobody uses.
number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
echo $! >"$state/xvfb.pid"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done

mkdir -p "$state/bin"
cat >"$state/bin/lumiscene-test-browser" <<BROWSER
#!/bin/sh
echo "\$1" >>"$state/opened.txt"
BROWSER
chmod +x "$state/bin/lumiscene-test-browser"

cat >"$state/env" <<ENV
export PATH="$state/bin:\$PATH"
export DISPLAY=:$number
export WINEPREFIX="$state/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
ENV
# shellcheck disable=SC1091
. "$state/env"

rm -rf "$WINEPREFIX"
# A persistent server, its output away from any pipe: a server that inherits
# the pipe of its first client keeps that pipe open and hangs the reader.
wineserver -p >/dev/null 2>&1 </dev/null
started=$(date +%s)
wineboot -i >/dev/null 2>&1 </dev/null
# Every program opens in the virtual desktop named Default.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
# Web pages open in a recorder instead of a browser, so tests can see what opened.
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d lumiscene-test-browser /f >/dev/null 2>&1
# The desktop that the prefix creation opened may still be up, and it is no
# virtual one: end every process of the prefix so the next program opens the
# desktop as configured above.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
wineserver -p >/dev/null 2>&1 </dev/null
# Start the prefix's services and the desktop here, away from any pipe: the
# first program would otherwise leave them holding its test's output open.
wine cmd /c exit >/dev/null 2>&1 </dev/null
echo "wine_session: prefix ready in $(($(date +%s) - started)) s on display :$number"
