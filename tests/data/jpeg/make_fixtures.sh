#!/bin/bash
# Regenerates the JPEG fixture corpus in this folder: photograph-like pictures made with
# ImageMagick, encoded with Debian's cjpeg in every layout and coding mode the decoder
# accepts, each beside the reference pixels from `djpeg -dct int -nosmooth`. A few files
# that the decoder must refuse are encoded here too (no reference for them).
#
# File names: <mode><layout>_q<quality>_<width>x<height>[_<variant>].jpg
#   mode b = baseline sequential, p = progressive; layout 444, 422, 440, 420 or grey.
# The tests read the quality from the name, so keep that part when adding files.
# Output is reproducible: fixed seeds, one ImageMagick thread.
set -euo pipefail
cd "$(dirname "$0")"

. ../../../tools/script_support.sh
require_debian_packages make_fixtures.sh imagemagick libjpeg-turbo-progs
find_imagemagick

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# source W H SEED OUT: a plasma "landscape" under a colour gradient, a few solid shapes with
# hard edges (ringing), a line of text when there is room, and fine sensor-like noise.
source_picture() {
  local w=$1 h=$2 seed=$3 out=$4
  local draw=()
  if [ "$w" -ge 8 ] && [ "$h" -ge 8 ]; then
    local cx=$((w * 2 / 3)) cy=$((h / 3)) r=$(((w < h ? w : h) / 5 + 1))
    draw+=(-fill '#c83020' -draw "circle $cx,$cy $((cx + r)),$cy")
    draw+=(-fill '#208838' -draw "rectangle $((w / 8)),$((h * 5 / 8)) $((w * 3 / 8)),$((h * 7 / 8))")
    draw+=(-stroke '#101060' -strokewidth 1 -draw "line 0,$((h - 1)) $((w - 1)),$((h / 2))" -stroke none)
  fi
  if [ "$w" -ge 48 ] && [ "$h" -ge 24 ]; then
    draw+=(-fill '#f8f8f0' -pointsize $((h / 4)) -annotate +$((w / 10))+$((h / 3)) 'Lumi 42')
  fi
  "$IM" -size "${w}x${h}" -seed "$seed" plasma:fractal \
    \( -size "${w}x${h}" gradient:'#2050a0-#f0c080' \) -compose blend -define compose:args=40 -composite \
    "${draw[@]}" \
    -seed $((seed + 1)) -attenuate 0.3 +noise Gaussian \
    -depth 8 "$out"
}

# Progressive scan scripts beyond cjpeg's default one.
cat > "$work/deep.scans" <<'SCANS'
0,1,2: 0-0, 0, 2 ;
0: 1-5, 0, 2 ;
2: 1-63, 0, 1 ;
1: 1-63, 0, 1 ;
0: 6-63, 0, 2 ;
0: 1-63, 2, 1 ;
0,1,2: 0-0, 2, 1 ;
0,1,2: 0-0, 1, 0 ;
2: 1-63, 1, 0 ;
1: 1-63, 1, 0 ;
0: 1-63, 1, 0 ;
SCANS
cat > "$work/separate.scans" <<'SCANS'
0: 0-0, 0, 0 ;
1: 0-0, 0, 0 ;
2: 0-0, 0, 0 ;
0: 1-9, 0, 0 ;
2: 1-63, 0, 0 ;
1: 1-63, 0, 0 ;
0: 10-63, 0, 0 ;
SCANS
cat > "$work/sequential_split.scans" <<'SCANS'
0: 0-63, 0, 0 ;
1: 0-63, 0, 0 ;
2: 0-63, 0, 0 ;
SCANS
# Three quantisation tables, so that every component has its own selector.
cat > "$work/three.qtables" <<'QT'
 8  6  5  8 12 20 26 31   6  6  7 10 13 29 30 28   7  7  8 12 20 29 35 28   7  9 11 15 26 44 40 31
 9 11 19 28 34 55 52 39  12 18 28 32 41 52 57 46  25 32 39 44 52 61 60 51  36 46 48 49 56 50 52 50
 9  9 12 24 50 50 50 50   9 11 13 33 50 50 50 50  12 13 28 50 50 50 50 50  24 33 50 50 50 50 50 50
50 50 50 50 50 50 50 50  50 50 50 50 50 50 50 50  50 50 50 50 50 50 50 50  50 50 50 50 50 50 50 50
17 18 24 47 99 99 99 99  18 21 26 66 99 99 99 99  24 26 56 99 99 99 99 99  47 66 99 99 99 99 99 99
99 99 99 99 99 99 99 99  99 99 99 99 99 99 99 99  99 99 99 99 99 99 99 99  99 99 99 99 99 99 99 99
QT

layout_option() {
  case $1 in
    444) echo "-sample 1x1" ;;
    422) echo "-sample 2x1" ;;
    440) echo "-sample 1x2" ;;
    420) echo "-sample 2x2" ;;
    grey) echo "-grayscale" ;;
  esac
}

# fixture NAME SEED [extra cjpeg options...]: mode, layout, quality and size come from NAME.
fixture() {
  local name=$1 seed=$2
  shift 2
  local mode=${name:0:1} rest=${name:1}
  local layout=${rest%%_*}
  local quality size
  quality=$(echo "$name" | sed -E 's/.*_q([0-9]+)_.*/\1/')
  size=$(echo "$name" | sed -E 's/.*_q[0-9]+_([0-9]+x[0-9]+).*/\1/')
  local w=${size%x*} h=${size#*x}
  local opts
  opts="-quality $quality $(layout_option "$layout")"
  [ "$mode" = p ] && opts="$opts -progressive"
  source_picture "$w" "$h" "$seed" "$work/$name.ppm"
  # shellcheck disable=SC2086
  cjpeg $opts "$@" -outfile "$name.jpg" "$work/$name.ppm"
  reference "$name"
}

reference() {
  local name=$1 ext=ppm
  case $name in *grey*) ext=pgm ;; esac
  djpeg -dct int -nosmooth -outfile "$name.$ext" "$name.jpg"
}

# refused NAME SEED W H cjpeg options...: a file the decoder must refuse; no reference pixels.
refused() {
  local name=$1 seed=$2 w=$3 h=$4
  shift 4
  source_picture "$w" "$h" "$seed" "$work/$name.ppm"
  cjpeg "$@" -outfile "$name.jpg" "$work/$name.ppm"
}

rm -f ./*.jpg ./*.ppm ./*.pgm

# Every layout, baseline and progressive, cjpeg's defaults otherwise.
fixture b444_q75_64x48 11
fixture b422_q75_64x48 12
fixture b440_q75_64x48 13
fixture b420_q75_64x48 14
fixture bgrey_q75_64x48 15
fixture p444_q75_80x60 21
fixture p422_q75_80x60 22
fixture p440_q75_80x60 23
fixture p420_q75_80x60 24
fixture pgrey_q75_80x60 25

# Larger photograph-like pictures.
fixture b420_q85_200x150 31
fixture p420_q85_200x150 32
fixture b444_q90_160x120 33
fixture p422_q80_160x120 34

# Qualities: low (16-bit quantisation tables below about 25), high, and 100 (all ones).
fixture b420_q5_96x72 41
fixture b444_q25_96x72 42
fixture b420_q50_96x72 43
fixture b420_q95_96x72 44
fixture b444_q95_96x72 45
fixture bgrey_q95_96x72 46
fixture p420_q95_96x72 47
fixture b420_q100_96x72 51
fixture b444_q100_96x72 52
fixture b422_q100_96x72 53
fixture bgrey_q100_96x72 54
fixture p420_q100_96x72 55
fixture p444_q100_96x72 56

# Restart intervals, in MCUs (B) or in MCU rows.
fixture b420_q75_64x48_rst1 61 -restart 1B
fixture b444_q75_80x40_rst3 62 -restart 3B
fixture b422_q75_100x30_rst7 63 -restart 7B
fixture bgrey_q75_64x64_rstrow 64 -restart 1
fixture b440_q75_56x40_rst2 65 -restart 2B
fixture p420_q75_64x48_rst2 66 -restart 2B
fixture pgrey_q75_40x40_rst1 67 -restart 1B

# Optimised Huffman tables (progressive files are always optimised by cjpeg).
fixture b420_q75_96x64_opt 71 -optimize
fixture b444_q85_64x48_opt 72 -optimize
fixture bgrey_q75_64x48_opt 73 -optimize
fixture b422_q75_48x48_optrst 74 -optimize -restart 2B

# Odd sizes down to 1x1.
fixture b444_q75_1x1 81
fixture b422_q75_1x1 82
fixture b440_q75_1x1 83
fixture b420_q75_1x1 84
fixture bgrey_q75_1x1 85
fixture p420_q75_1x1 86
fixture p444_q75_1x1 87
fixture pgrey_q75_1x1 88
fixture b420_q75_7x5 91
fixture b422_q75_17x9 92
fixture b440_q75_9x17 93
fixture b444_q75_13x3 94
fixture b420_q75_17x17 95
fixture b420_q75_33x31 96
fixture p420_q75_31x33 97
fixture p422_q75_15x15 98
fixture p440_q75_23x17 99
fixture pgrey_q75_9x7 100
fixture bgrey_q75_1x31 101
fixture b420_q75_63x1 102
fixture b420_q80_199x149 103

# Scan and table variants.
fixture p420_q75_64x48_deep 111 -scans "$work/deep.scans"
fixture p420_q75_37x29_separate 112 -scans "$work/separate.scans"
fixture p444_q75_40x24_separate 113 -scans "$work/separate.scans"
fixture b444_q75_64x48_qt3 114 -qtables "$work/three.qtables" -qslots 0,1,2
fixture p420_q75_48x32_rst1deep 115 -restart 1B -scans "$work/deep.scans"
# Extended sequential (SOF1) marker on otherwise baseline data.
fixture b420_q75_48x32_sof1 116
perl -0777 -pi -e 's/\xFF\xC0/\xFF\xC1/' b420_q75_48x32_sof1.jpg
reference b420_q75_48x32_sof1

# Files that must be refused.
refused refuse_arith 201 32 32 -arithmetic
refused refuse_arithprog 202 32 32 -arithmetic -progressive
refused refuse_411 203 32 32 -sample 4x1
refused refuse_chroma21 204 32 32 -sample 2x2,2x1,1x1
refused refuse_seqsplit 205 32 32 -sample 1x1 -scans "$work/sequential_split.scans"

du -cb ./*.jpg ./*.ppm ./*.pgm | tail -1
