#!/bin/bash
# Fuzzes for a bounded time: fuzz/run.sh [seconds] (default 600), for each target in turn:
#   jpeg        the picture decoder (seeded with the fixture JPEGs and the saved corpus)
#   render      the whole program under a fuzzed command line and event script
#   tool-input  the tools' PPM, option and event-script readers
# and then the soak (fuzz/soak.sh: two virtual hours at every depth and a run across the
# 32-bit millisecond wrap, under the asan preset). Targets are built with the fuzz preset into
# build/fuzz. After each target its new finds are merged into fuzz/corpus/<target>, keeping
# only inputs that add coverage (the corpora `make test` replays). A crash stops that target;
# its reproducer is left in build/fuzz/artifacts/<target>/ and the script exits non-zero
# after the remaining targets and the soak. FUZZ_TARGETS="render" limits the targets;
# SOAK=0 leaves out the soak.
set -euo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
targets=${FUZZ_TARGETS:-jpeg render tool-input}

cd "$root"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset fuzz >/dev/null
fi
cmake --build "$build" -j2 --target $(for t in $targets; do echo "lumiscene-fuzz-$t"; done)

work=$(mktemp -d)
trap 'rm -rf "$work" /tmp/lumiscene-fuzz-render-*' EXIT
overall=0

# fuzz_one TARGET MAX_LEN TIMEOUT [extra libFuzzer options...]
fuzz_one() {
  local target=$1 max_len=$2 timeout=$3
  shift 3
  local fuzzer=$build/bin/lumiscene-fuzz-$target
  local corpus=$root/fuzz/corpus/$target
  local artifacts=$build/artifacts/$target
  local dir=$work/$target
  mkdir -p "$dir/new" "$dir/seeds" "$dir/merged" "$dir/candidates" "$corpus" "$artifacts"
  if [ "$target" = jpeg ]; then cp "$root"/tests/data/jpeg/*.jpg "$dir/seeds/"; fi

  # New inputs go to the first folder; the others are read as seeds only. One process: the
  # machine's two cores are shared.
  echo "== $target: fuzzing for $seconds s"
  local status=0
  "$fuzzer" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -max_len="$max_len" \
    -artifact_prefix="$artifacts/" -print_final_stats=1 "$@" \
    "$dir/new" "$corpus" "$dir/seeds" || status=$?

  # Minimise: start from the seeds, add from the saved corpus and this run's finds (up to
  # 8 KiB each) only inputs that bring new coverage, then drop the seeds again: the saved
  # corpus holds what the seeds do not already reach.
  find "$corpus" "$dir/new" -type f -size -8193c -exec cp {} "$dir/candidates/" \;
  cp "$dir/seeds"/* "$dir/merged/" 2>/dev/null || true
  "$fuzzer" -merge=1 -timeout="$timeout" -rss_limit_mb=2048 -max_len="$max_len" "$@" "$dir/merged" "$dir/candidates" \
    >"$dir/merge.log" 2>&1 || { tail -5 "$dir/merge.log"; return 1; }
  grep -E '^MERGE-OUTER: [0-9]+ new files' "$dir/merge.log" || true
  for seed in "$dir/seeds"/*; do [ -e "$seed" ] && rm -f "$dir/merged/$(basename "$seed")"; done
  rm -f "$corpus"/*
  cp "$dir/merged"/* "$corpus/" 2>/dev/null || true
  echo "$target corpus: $(find "$corpus" -type f | wc -l) files, $(cat "$corpus"/* 2>/dev/null | wc -c) bytes"
  if [ "$status" -ne 0 ]; then
    echo "$target: fuzzer stopped with status $status; reproducers in $artifacts" >&2
    return "$status"
  fi
}

for target in $targets; do
  case $target in
    jpeg) fuzz_one jpeg 16384 10 -dict="$root/fuzz/jpeg.dict" || overall=$? ;;
    # The program's own output and refusals would drown libFuzzer's report: closed.
    # Inputs of any length from the start: a short one is a script without events. A run
    # takes a second or two under the sanitizers (twice that when the leak check runs it
    # again), more on a machine shared with builds: only a minute is taken for a hang.
    render) fuzz_one render 4096 60 -close_fd_mask=3 -len_control=0 || overall=$? ;;
    tool-input) fuzz_one tool-input 4096 10 || overall=$? ;;
    *) echo "unknown fuzz target $target" >&2; exit 2 ;;
  esac
done

if [ "${SOAK:-1}" != 0 ]; then
  "$root/fuzz/soak.sh" || overall=$?
fi
exit "$overall"
