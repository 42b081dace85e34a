#!/usr/bin/env bash
# The Linux player's command line and its start without a display: --help and
# --version answer on stdout with status 0, an unknown option is refused in one
# line with status 2, and a missing or unreachable display ends it with
# status 1 and one line saying what is missing and what to do (a player still
# running after 5 s counts as one that never ends).
#   player_options_test.sh PLAYER VERSION
set -u
player=$1
version=$2
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() { echo "FAIL: $*"; failed=1; }

# run NAME ARGS...: runs the player without a display, at most 5 s (it must never wait for one).
run() {
  local name=$1
  shift
  timeout 5 env -u WAYLAND_DISPLAY "$@" > "$work/$name.out" 2> "$work/$name.err"
  echo $? > "$work/$name.status"
}

run help env -u DISPLAY "$player" --help
[ "$(cat "$work/help.status")" = 0 ] || check "--help ended with $(cat "$work/help.status")"
for word in Usage Esc Alt+Enter LUMISCENE_SCALE GDK_SCALE LUMISCENE_PRESENT DISPLAY; do
  grep -q -- "$word" "$work/help.out" || check "--help does not mention $word"
done
[ -s "$work/help.err" ] && check "--help wrote to stderr: $(cat "$work/help.err")"

run version env -u DISPLAY "$player" --version
[ "$(cat "$work/version.status")" = 0 ] || check "--version ended with $(cat "$work/version.status")"
[ "$(cat "$work/version.out")" = "lumiscene $version" ] || check "--version said '$(cat "$work/version.out")'"

run unknown env -u DISPLAY "$player" --fullscreen
[ "$(cat "$work/unknown.status")" = 2 ] || check "an unknown option ended with $(cat "$work/unknown.status")"
[ "$(wc -l < "$work/unknown.err")" = 1 ] && grep -q -- "--fullscreen" "$work/unknown.err" ||
  check "an unknown option gave: $(cat "$work/unknown.err")"
[ -s "$work/unknown.out" ] && check "an unknown option wrote to stdout"

# No DISPLAY at all, and one that names no server.
for case in unset absent; do
  if [ "$case" = unset ]; then
    run "$case" env -u DISPLAY "$player"
  else
    run "$case" env DISPLAY=:4095 "$player"
  fi
  status=$(cat "$work/$case.status")
  [ "$status" = 1 ] || check "display $case: status $status (124: still running after 5 s)"
  [ "$(wc -l < "$work/$case.err")" = 1 ] && grep -qi "display" "$work/$case.err" && grep -q "xvfb-run" "$work/$case.err" ||
    check "display $case: stderr was: $(cat "$work/$case.err")"
done

[ "$failed" = 0 ] && echo "player_options: all checks passed"
exit "$failed"
