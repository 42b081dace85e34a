#!/usr/bin/env bash
# wine_gtest_each.sh STATE_DIR TEST.exe SECONDS [EXCLUDED]
# Runs every test case of a GoogleTest executable under Wine in a process of
# its own, each with a time limit: a test that waits for input the real system
# never gives (a menu loop, a modal box) fails alone instead of stopping the
# run. EXCLUDED is a GoogleTest filter (a:b:c) of cases left out.
set -u
state=$1 exe=$2 limit=$3 excluded=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
run() { bash "$here/wine_run.sh" "$state" "$exe" "$@"; }

# Wine now and then gives up on a program before its main runs (seen on a
# loaded machine); a listing or a case that never started is tried once more.
list_cases() {
  run --gtest_list_tests ${excluded:+--gtest_filter=-$excluded} | tr -d '\r' | awk '
    /^[^ ]/ { suite = $1; next }
    /^  [^ ]/ { print suite $1 }'
}
run_case() {
  timeout -s KILL "$limit" bash "$here/wine_run.sh" "$state" "$exe" --gtest_filter="$1" >"$state/case.log" 2>&1
}

cases=$(list_cases)
[ -n "$cases" ] || cases=$(list_cases)
[ -n "$cases" ] || { echo "wine_gtest_each: $exe lists no test cases"; exit 1; }
passed=0 failed=0 failures=""
for name in $cases; do
  run_case "$name"
  status=$?
  if ! grep -q '^\[ RUN' "$state/case.log"; then
    run_case "$name"
    status=$?
  fi
  if [ "$status" = 0 ] && grep -q '^\[  PASSED  \] 1 test' "$state/case.log"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures="$failures $name"
    echo "---- $name"
    grep -v -e '^\[==' -e '^\[--' -e '^Note: Google Test filter' -e '^$' "$state/case.log" | head -30
    grep -q '^\[ RUN' "$state/case.log" && ! grep -q -e '^\[  FAILED' -e '^\[       OK' "$state/case.log" &&
      echo "(no end within $limit s)"
  fi
done
[ -n "$excluded" ] && echo "left out: ${excluded//:/ }"
[ -n "$failures" ] && echo "failed:$failures"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
