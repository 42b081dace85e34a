#!/bin/bash
# Fuzzes the picture decoder for a bounded time: fuzz/run.sh [seconds] (default 600).
# Builds lumiscene-fuzz-jpeg with the fuzz preset, seeds it with the fixture JPEGs and the
# saved corpus, and afterwards merges what it found into fuzz/corpus/jpeg, keeping only
# inputs that add coverage (the corpus `make test` replays). A crash stops the run; its
# reproducer is left in build/fuzz/artifacts/ and the script exits non-zero.
set -euo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
corpus=$root/fuzz/corpus/jpeg
artifacts=$build/artifacts

cd "$root"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset fuzz >/dev/null
fi
cmake --build "$build" --target lumiscene-fuzz-jpeg -j2
fuzzer=$build/bin/lumiscene-fuzz-jpeg

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/new" "$work/seeds" "$work/merged" "$corpus" "$artifacts"
cp "$root"/tests/data/jpeg/*.jpg "$work/seeds/"

# New inputs go to the first folder; the others are read as seeds only. One process: the
# machine's two cores are shared.
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -dict="$root/fuzz/jpeg.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
  "$work/new" "$corpus" "$work/seeds" || status=$?

# Minimise: start from the fixtures, add from the saved corpus and this run's finds (up to
# 8 KiB each) only inputs that bring new coverage, then drop the fixtures again: the saved
# corpus holds what the fixtures do not already reach.
mkdir -p "$work/candidates"
find "$corpus" "$work/new" -type f -size -8193c -exec cp {} "$work/candidates/" \;
cp "$work/seeds"/* "$work/merged/"
"$fuzzer" -merge=1 -timeout=10 -rss_limit_mb=2048 -max_len=16384 "$work/merged" "$work/candidates" \
  >"$work/merge.log" 2>&1 || { tail -5 "$work/merge.log"; exit 1; }
grep -E '^MERGE-OUTER: [0-9]+ new files' "$work/merge.log" || true
for seed in "$work/seeds"/*; do rm -f "$work/merged/$(basename "$seed")"; done
rm -f "$corpus"/*
cp "$work/merged"/* "$corpus/" 2>/dev/null || true
echo "corpus: $(find "$corpus" -type f | wc -l) files, $(cat "$corpus"/* 2>/dev/null | wc -c) bytes"

if [ "$status" -ne 0 ]; then
  echo "fuzzer stopped with status $status; reproducers in $artifacts" >&2
  exit "$status"
fi
