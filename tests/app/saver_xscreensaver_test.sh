#!/usr/bin/env bash
# lumiscene-saver under the real xscreensaver, configured in a home of its own
# to run only Lumiscene: activated, the screen shows the picture, drawn into
# the window xscreensaver made for it; deactivated, xscreensaver ends it.
# xscreensaver launches no saver for root, so as root it runs as nobody.
#   saver_xscreensaver_test.sh SAVER PICTURE1
set -u
saver=$1
picture=$2
for tool in xscreensaver xscreensaver-command; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [ "$(id -u)" = 0 ]; then
  command -v setpriv > /dev/null || { echo "skipped: setpriv is needed to run xscreensaver as nobody"; exit 77; }
  id nobody > /dev/null 2>&1 || { echo "skipped: there is no user nobody"; exit 77; }
fi
source "$(dirname "$0")/desktop_lib.sh"
source "$(dirname "$0")/saver_lib.sh"
xscreensaver_pid=""
trap 'stop xscreensaver_pid; cleanup' EXIT

# A home and a copy of the saver that the user xscreensaver runs as can reach.
chmod 755 "$work"
mkdir -p "$work/home" "$work/bin"
cp "$saver" "$work/bin/lumiscene-saver"
chmod 755 "$work/bin/lumiscene-saver"
cat > "$work/home/.xscreensaver" << END
mode:		one
selected:	0
programs:	$work/bin/lumiscene-saver --root \\n
timeout:	1:00:00
lock:		False
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
grabDesktopImages:	False
END
as_user() {
  if [ "$(id -u)" = 0 ]; then
    chown -R nobody:nogroup "$work/home"
    setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work/home" "$@"
  else
    env HOME="$work/home" "$@"
  fi
}

start_desktop 1024x768
as_user xscreensaver -no-splash -verbose > "$work/xscreensaver.log" 2>&1 &
xscreensaver_pid=$!
for _ in $(seq 50); do as_user xscreensaver-command -time > /dev/null 2>&1 && break; sleep 0.2; done
as_user xscreensaver-command -activate > /dev/null 2>&1 ||
  { cat "$work/xscreensaver.log"; fail "xscreensaver did not take -activate"; }

if ! wait_for_picture "$work/screen.png" 1024x768+0+0; then
  cat "$work/xscreensaver.log"
  fail "no picture on the screen within 15 s of -activate"
fi
sleep 1
screenshot "$work/screen.png"
shows_picture "$work/screen.png" 1024x768+0+0 || fail "the screen does not show the picture"
black=$(black_share "$work/screen.png" 1024x768+0+0)
awk -v b="$black" 'BEGIN { exit !(b < 0.02) }' || fail "the picture does not fill the 4:3 screen ($black black)"

saver_pid=$(pgrep -f "^$work/bin/lumiscene-saver" | head -n 1)
[ -n "$saver_pid" ] || fail "xscreensaver did not run lumiscene-saver"
tr '\0' '\n' < "/proc/$saver_pid/environ" | grep -q '^XSCREENSAVER_WINDOW=' ||
  fail "xscreensaver gave the saver no window of its own"

as_user xscreensaver-command -deactivate > /dev/null 2>&1
for _ in $(seq 50); do kill -0 "$saver_pid" 2> /dev/null || break; sleep 0.1; done
kill -0 "$saver_pid" 2> /dev/null && fail "the saver was still running 5 s after -deactivate"
grep -i "lumiscene-saver.*\(crash\|signal\|exited with status [1-9]\)" "$work/xscreensaver.log" &&
  fail "xscreensaver saw the saver fail"
echo "saver_xscreensaver: all checks passed"
