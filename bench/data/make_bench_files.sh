#!/bin/bash
# Regenerates the four pictures the JPEG decode benchmarks run on: photograph-like content
# (plasma landscape under a gradient, shapes, text, sensor-like noise) at the sizes and
# codings the benchmark names promise. Needs the Debian packages imagemagick and
# libjpeg-turbo-progs; the outputs are committed, so a build never runs this.
#   b420_640.jpg   640x480   baseline 4:2:0 quality 85
#   b444_640.jpg   640x480   baseline 4:4:4 quality 85
#   b420_1080.jpg  1920x1080 baseline 4:2:0 quality 85
#   p420_1080.jpg  1920x1080 progressive 4:2:0 quality 85
set -euo pipefail
cd "$(dirname "$0")"

. ../../tools/script_support.sh
require_debian_packages make_bench_files.sh imagemagick libjpeg-turbo-progs
find_imagemagick

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# picture W H SEED OUT
picture() {
  local w=$1 h=$2 seed=$3 out=$4
  local r=$((h / 6))
  "$IM" -size "${w}x${h}" -seed "$seed" plasma:fractal -blur 0x1 \
    \( -size "${w}x${h}" gradient:'#3060b0-#e8b070' \) -compose blend -define compose:args=45 -composite \
    -fill '#c03828' -draw "circle $((w * 2 / 3)),$((h / 3)) $((w * 2 / 3 + r)),$((h / 3))" \
    -fill '#2a8a40' -draw "roundrectangle $((w / 10)),$((h * 6 / 10)) $((w * 4 / 10)),$((h * 9 / 10)) 12,12" \
    -stroke '#181850' -strokewidth 3 -draw "line 0,$((h - 1)) $((w - 1)),$((h / 2))" -stroke none \
    -fill '#f4f0e8' -pointsize $((h / 8)) -annotate +$((w / 12))+$((h / 4)) 'Lumiscene 2026' \
    -fill '#202020' -pointsize $((h / 24)) -annotate +$((w / 2))+$((h * 8 / 10)) 'The quick brown fox jumps over the lazy dog' \
    -seed $((seed + 1)) -attenuate 0.15 +noise Gaussian \
    -depth 8 "$out"
}

picture 640 480 301 "$work/640.ppm"
picture 1920 1080 302 "$work/1080.ppm"
cjpeg -quality 85 -sample 2x2 -outfile b420_640.jpg "$work/640.ppm"
cjpeg -quality 85 -sample 1x1 -outfile b444_640.jpg "$work/640.ppm"
cjpeg -quality 85 -sample 2x2 -outfile b420_1080.jpg "$work/1080.ppm"
cjpeg -quality 85 -sample 2x2 -progressive -outfile p420_1080.jpg "$work/1080.ppm"
ls -l ./*.jpg
