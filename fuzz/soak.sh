#!/bin/bash
# The long runs of `make fuzz`, under the asan preset (AddressSanitizer + UBSan):
#   lumiscene-soak wrap       three virtual minutes across the 32-bit millisecond wrap, the
#                             inset and full-screen toggled across it; frames keep coming,
#                             the inset ends after 6 s, nothing is allocated after the first minute
#   lumiscene-soak random M   M virtual minutes (SOAK_MINUTES, default 120) of random events
#                             at each of the six depths
# Exits non-zero when a check fails or a sanitizer reports.
set -euo pipefail
minutes=${SOAK_MINUTES:-120}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ ! -f build/asan/CMakeCache.txt ]; then
  cmake --preset asan >/dev/null
fi
cmake --build --preset asan -j2 --target lumiscene-soak
soak=build/asan/bin/lumiscene-soak
echo "== soak: across the millisecond wrap"
"$soak" wrap
echo "== soak: $minutes virtual minutes of random events at every depth"
"$soak" random "$minutes"
