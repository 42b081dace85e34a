# Shared by the end-to-end tests under Wine (sourced with state, work and
# probe_exe set): the tools they need, the Wine session, a fresh work
# directory, and the helpers every test uses.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
command -v xdotool >/dev/null || { echo "skipped: xdotool is not installed"; exit 77; }
# The package, not a `convert` command: a machine may carry an unrelated stand-in.
dpkg -s imagemagick >/dev/null 2>&1 || { echo "skipped: imagemagick is not installed"; exit 77; }
# shellcheck disable=SC1091
. "$state/env" || { echo "FAIL: no Wine session in $state"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { echo "ok: $*"; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# window_probe's report on what it was asked about, as shell variables; the
# caller clears the variables it reads first, since a probe reports only what it finds.
run_probe() {
  bash "$here/wine_run.sh" "$state" "$probe_exe" "$@" | tr -d '\r' | grep -E '^[a-z_]+=' >"$work/probe.txt"
  # shellcheck disable=SC1091
  . "$work/probe.txt"
}

# ended PID SECONDS: whether the process ends within the time; its status in $status.
ended() {
  local pid=$1 tenths=$(($2 * 10))
  for _ in $(seq "$tenths"); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}
