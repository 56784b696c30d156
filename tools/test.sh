#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test under Wine in a fresh prefix.
# Ends with the line "N passed, N failed".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/tools/setup.sh"

mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1 || { grep -vE '^\[ *[0-9]+%\]' "$build/build.log" | tail -60; echo "build failed"; exit 1; }

export QL_BUILD=$build QL_PREFIX=$build/test-prefix QL_UNMANAGED=1
source "$root/tools/wine-env.sh"
"${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
rm -rf "$QL_PREFIX" "$build/test-results" "$XDG_DATA_HOME"
mkdir -p "$XDG_DATA_HOME" "$build/test-results"
ql_xvfb
cleanup() {
  "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  [ -n "${QL_XVFB_PID:-}" ] && kill "$QL_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
echo "making a fresh Wine prefix"
ql_wine_prefix

status=0
(cd "$build" && ctest --output-on-failure -j"${QL_TEST_JOBS:-4}" --timeout 900) || status=$?

# Count test cases, not executables: every executable wrote its gtest report.
passed=0 failed=0
for xml in "$build"/test-results/*.xml; do
  [ -f "$xml" ] || continue
  t=$(grep -m1 -oE '<testsuites tests="[0-9]+" failures="[0-9]+" disabled="[0-9]+" errors="[0-9]+"' "$xml" || true)
  [ -n "$t" ] || continue
  set -- $(echo "$t" | grep -oE '[0-9]+')
  passed=$((passed + $1 - $2 - $3 - $4)); failed=$((failed + $2 + $4))
done
# An executable that died before writing its report counts as one failure.
expected=$(cd "$build" && ctest -N | sed -nE 's/^Total Tests: ([0-9]+)/\1/p')
reports=$(find "$build/test-results" -name '*.xml' 2>/dev/null | wc -l)
[ "$reports" -lt "${expected:-0}" ] && failed=$((failed + expected - reports))
[ "$status" != 0 ] && [ "$failed" = 0 ] && failed=1
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
