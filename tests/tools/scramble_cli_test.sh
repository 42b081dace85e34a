#!/usr/bin/env bash
# lumiscene-scramble: scrambling is its own inverse; bad arguments get one line and status 2.
set -u
scramble="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

head -c 5000 /dev/urandom > "$work/plain"
"$scramble" 0x5C3A91E7 29 "$work/plain" "$work/stored" || fail "scrambling failed"
cmp -s "$work/plain" "$work/stored" && fail "the stored form equals the plain bytes"
"$scramble" 1547342311 29 "$work/stored" "$work/back" || fail "descrambling failed"
cmp -s "$work/plain" "$work/back" || fail "decimal and hex seeds differ, or scrambling is not its own inverse"

: > "$work/empty"
mkdir "$work/folder"
for args in "1 8 $work/empty $work/x" "1 8 $work/folder $work/x" "1 0 $work/plain $work/x" "1 33 $work/plain $work/x" "zz 8 $work/plain $work/x" \
            "1 8 $work/missing $work/x" "1 8 $work/plain" "0x 8 $work/plain $work/x" \
            "1 8 $work/plain $work/no/such/dir/x"; do
  # shellcheck disable=SC2086
  "$scramble" $args > /dev/null 2> "$work/err"
  status=$?
  [ "$status" = 2 ] || fail "status $status for: $args"
  [ "$(wc -l < "$work/err")" = 1 ] || fail "wanted one line on stderr for: $args"
done

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "scramble_cli: all checks passed"
