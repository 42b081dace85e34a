#!/usr/bin/env bash
# User pictures through lumiscene-render, which takes them through the
# program's own loader: the built-in pictures given as files draw exactly the
# built-in frames; a panorama twice the size in both directions, or wider with
# the built-in picture in its middle, is scaled and cropped back to exactly the
# built-in picture; a refused file is named with the decoder's reason.
#   user_pictures_test.sh RENDER PICTURES_DIR
set -u
render=$1
pictures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

times=10,400,1000,2500,30000,33000
events=0:pointer:100:100,200:pointer:500:300,900:key
frames() { "$render" --out "$work/$1" --at "$times" --events "$events" --dump-pictures "${@:2}" > /dev/null; }
# same DIR: every frame and screen of DIR equals the built-in run's.
same() {
  for file in "$work/builtin"/*.ppm; do
    cmp -s "$file" "$work/$1/$(basename "$file")" || fail "$1: $(basename "$file") differs from the built-in run"
  done
}

frames builtin || fail "the built-in run failed"
frames files --picture1 "$pictures/picture1.jpg" --picture2 "$pictures/picture2.jpg" || fail "the files run failed"
same files

# picture1 doubled by repeating every pixel: averaging each 2 x 2 square gives
# back every pixel exactly.
picture1="$work/builtin/picture1.ppm"
if dpkg -s imagemagick > /dev/null 2>&1; then
  /usr/bin/convert "$picture1" -sample 200% "$work/doubled.ppm"
  frames doubled --picture1 "$work/doubled.ppm" || fail "the doubled run failed"
  same doubled
  # 160 columns of white on either side: the height fits, the middle 640 columns are kept.
  /usr/bin/convert "$picture1" -bordercolor white -border 160x0 "$work/wide.ppm"
  frames wide --picture1 "$work/wide.ppm" || fail "the wide run failed"
  same wide
else
  echo "ImageMagick is not installed: the scaled panoramas are not checked"
fi

# Refused: the message names the file and the decoder's reason, status 2.
printf '\xff\xd8\xff\xc9\x00\x0b\x08\x00\x10\x00\x10\x01\x01\x11\x00' > "$work/arithmetic.jpg"
"$render" --picture1 "$work/arithmetic.jpg" --out "$work/refused" --at 10 > /dev/null 2> "$work/err.txt"
[ $? = 2 ] || fail "a refused picture did not end the tool with status 2"
grep -qF "$work/arithmetic.jpg: the JPEG decoder refuses it (error -215 ArithmeticCoding)" "$work/err.txt" ||
  fail "the refusal said: $(cat "$work/err.txt")"

[ "$failures" = 0 ] && echo "user_pictures: all checks passed"
exit "$((failures > 0))"
