#!/usr/bin/env bash
# Starts a program of the build under Wine on a fresh 24-bit Xvfb screen, waits, saves a screenshot
# of the whole screen and stops everything again.
# Usage: tools/screenshot.sh OUT.png PROGRAM.exe [ARGS...]   (QL_WAIT: seconds to wait, default 6)
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 OUT.png PROGRAM.exe [ARGS...]" >&2; exit 2; }
out=$(realpath -m "$1"); shift
export QL_PREFIX=${QL_PREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/run-prefix}
source "$(dirname "$0")/wine-env.sh"
unset DISPLAY
QL_SCREEN=${QL_SCREEN:-1024x768x24} ql_xvfb
cleanup() {
  "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  kill "$QL_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
ql_wine_prefix
wine "$@" >"$ql_build/screenshot-run.log" 2>&1 </dev/null &
sleep "${QL_WAIT:-6}"
import -window root "$out"
echo "screenshot: $out"
