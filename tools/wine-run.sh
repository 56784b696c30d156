#!/usr/bin/env bash
# Runs one Windows program (a test executable) under Wine in the test prefix, under Xvfb when
# no display is set. CTest calls it for every test executable.
set -euo pipefail
export QL_UNMANAGED=${QL_UNMANAGED:-1}
source "$(dirname "$0")/wine-env.sh"
ql_xvfb
trap '[ -n "${QL_XVFB_PID:-}" ] && kill $QL_XVFB_PID 2>/dev/null || true' EXIT
ql_wine_prefix
wine "$@"
