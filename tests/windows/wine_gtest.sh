#!/usr/bin/env bash
# wine_gtest.sh STATE_DIR TEST.exe [ARGS...]: runs a GoogleTest executable under
# Wine, with its exit code. On a loaded machine Wine now and then gives up on a
# program before its main runs; GoogleTest then leaves no result file, and the
# program is started once more. A program that ran and failed is never rerun.
set -u
state=$1 exe=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
# Named relative to the state folder, where wine_run.sh starts programs: a
# Windows program reads /a/b as a path on the current drive, not as Z:.
result=$(basename "$exe" .exe).result.xml
for attempt in 1 2; do
  rm -f "$state/$result"
  bash "$here/wine_run.sh" "$state" "$exe" --gtest_output="xml:$result" "$@"
  status=$?
  if [ -s "$state/$result" ]; then exit "$status"; fi
  echo "wine_gtest: $(basename "$exe") ended ($status) without reaching its tests (attempt $attempt of 2)"
done
exit 1
