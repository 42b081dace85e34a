#!/usr/bin/env bash
# lumiscene-render: argument checking, the frame schedule and reproducible output.
set -u
render="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# make_ppm FILE WIDTH HEIGHT BYTE: a flat picture of one grey level.
make_ppm() {
  printf 'P6\n%d %d\n255\n' "$2" "$3" > "$1"
  head -c $(($2 * $3 * 3)) /dev/zero | tr '\0' "\\$(printf '%03o' "$4")" >> "$1"
}

# expect_status CODE ARGS...: runs the tool and checks its exit status and that
# a failure says why in exactly one line.
expect_status() {
  local want=$1; shift
  "$render" "$@" > "$work/out.txt" 2> "$work/err.txt"
  local got=$?
  if [ "$got" != "$want" ]; then
    fail "exit $got, wanted $want: $*"; cat "$work/err.txt"
  elif [ "$want" != 0 ] && [ "$(wc -l < "$work/err.txt")" != 1 ]; then
    fail "wanted one line on stderr: $*"; cat "$work/err.txt"
  fi
}

make_ppm "$work/p1.ppm" 640 480 200
make_ppm "$work/p2.ppm" 300 200 40
make_ppm "$work/small.ppm" 320 240 10
printf 'P6\n640 480\n255\n' > "$work/truncated.ppm"
head -c 1000 /dev/zero > "$work/garbage.jpg"
printf '\xff\xd8\xff\xdb\x00' > "$work/broken.jpg"
ok=(--picture1 "$work/p1.ppm" --picture2 "$work/p2.ppm" --out "$work/out")

expect_status 2
expect_status 2 --picture1 "$work/p1.ppm" --picture2 "$work/p2.ppm" --out "$work/out"
expect_status 2 "${ok[@]}" --at 15
expect_status 2 "${ok[@]}" --at 0
expect_status 2 "${ok[@]}" --at 10 --depth 12
expect_status 2 "${ok[@]}" --at 10 --events 5:jump
expect_status 2 "${ok[@]}" --at 10 --events 5:press:NoSuchKey
expect_status 2 "${ok[@]}" --at 10 --bogus 1
# A line break inside an argument must not split the one-line error.
expect_status 2 "${ok[@]}" --at 10 --events $'5:jump\n6:key'
expect_status 2 "${ok[@]}" --at $'10\n20'
# A picture1 of another size is scaled to cover the frame.
expect_status 0 --picture1 "$work/small.ppm" --picture2 "$work/p2.ppm" --out "$work/small" --at 10 --dump-pictures
make_ppm "$work/small_scaled.ppm" 640 480 10
cmp -s "$work/small/picture1.ppm" "$work/small_scaled.ppm" || fail "a 320 x 240 picture1 becomes 640 x 480 of its own grey"
expect_status 2 --picture1 "$work/missing.ppm" --picture2 "$work/p2.ppm" --out "$work/out" --at 10
expect_status 2 --picture1 "$work/truncated.ppm" --picture2 "$work/p2.ppm" --out "$work/out" --at 10
expect_status 2 --picture1 "$work/p1.ppm" --picture2 "$work/garbage.jpg" --out "$work/out" --at 10
expect_status 2 --picture1 "$work/broken.jpg" --picture2 "$work/p2.ppm" --out "$work/out" --at 10
mkdir "$work/folder"
expect_status 2 --picture1 "$work/folder" --picture2 "$work/p2.ppm" --out "$work/out" --at 10
expect_status 2 --picture1 "$work/p1.ppm" --picture2 "$work/folder" --out "$work/out" --at 10

# Times run up to one virtual day; events may come at the last frame but not after it.
expect_status 2 "${ok[@]}" --at 4294967290
expect_status 2 "${ok[@]}" --at 86400010
expect_status 2 "${ok[@]}" --at 10 --events 500000:key
expect_status 2 "${ok[@]}" --at 10,20 --events 30:key
expect_status 0 "${ok[@]}" --at 10,20 --events 20:key

# While inactive a frame sleeps 100 ms, so after a deactivation at 0 only
# multiples of 100 are frame times.
expect_status 2 "${ok[@]}" --at 150 --events 0:deactivate
expect_status 0 "${ok[@]}" --at 200 --events 0:deactivate
[ -f "$work/out/frame-200.ppm" ] || fail "frame-200.ppm written while inactive"

expect_status 0 "${ok[@]}" --at 30,10,20 --dump-pictures --depth 16 --events 0:pointer:5:0,15:key
for name in frame-10 frame-20 frame-30 picture1 picture2; do
  size=$(stat -c %s "$work/out/$name.ppm" 2>/dev/null || echo 0)
  [ "$size" = $((15 + 640 * 480 * 3)) ] || fail "$name.ppm has $size bytes"
done
mv "$work/out" "$work/first"
expect_status 0 "${ok[@]}" --at 30,10,20 --dump-pictures --depth 16 --events 0:pointer:5:0,15:key
for name in frame-10 frame-20 frame-30; do
  cmp -s "$work/first/$name.ppm" "$work/out/$name.ppm" || fail "$name.ppm differs between two identical runs"
done

# Minimised, the program waits for input: the clock moves on to the next event.
expect_status 0 "${ok[@]}" --at 6000 --events 100:minimize,500:restore
[ -f "$work/out/frame-6000.ppm" ] || fail "frames come again after a scripted restore"
# Nothing can ever restore it: the frame cannot be written, and the tool says so.
expect_status 2 "${ok[@]}" --at 200 --events 100:minimize
grep -q 'waits for input' "$work/err.txt" || fail "a wait for input that cannot come is named"

# The whole program: keys, clicks and menu commands reach it as a user's would.
expect_status 0 --out "$work/program" --at 100 --events 50:click,60:menu:40002,100:press:Escape
grep -qx 'open: http://starfield.example/?lumi8' "$work/out.txt" || fail "a click opens the web page"
[ "$(grep -c '^open: ' "$work/out.txt")" = 2 ] || fail "one address per click and per menu command"
grep -qx 'exit: 0' "$work/out.txt" || fail "Esc ends the program with exit code 0"
[ -f "$work/program/screen-100.ppm" ] || fail "screen-100.ppm written"
# A frame after the program has ended cannot be written.
expect_status 2 --out "$work/program" --at 100,300 --events 150:press:alt+x
grep -qx 'exit: 0' "$work/out.txt" || fail "Alt+X ends the program"

# Ends after a failure report exit code 1, with the message shown.
expect_status 0 --out "$work/program" --picture1 "$work/p1.ppm" --picture2 "$work/p2.ppm" --depth 8 --at 10
grep -qx 'exit: 1' "$work/out.txt" && fail "an 8-bit desktop is no failure"
expect_status 2 --out "$work/program" --at 100 --events 50:exclusive-on,60:press:T
grep -qx 'exit: 1' "$work/out.txt" || fail "a refused full-screen toggle ends with exit code 1"
grep -q '^messagebox: InitDirectDraw() failed' "$work/out.txt" || fail "the refused toggle is reported"

if [ "$failures" != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "render_cli: all checks passed"
