#!/usr/bin/env bash
# Sets up the machine, checks the committed art, builds everything and runs every test program
# under Wine twice (in its written order and shuffled), each run on its own screen and in its own
# copy of a fresh prefix. Ends with the line "N passed, N failed": the cases of the ordered runs,
# and the failures of both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/tools/setup.sh"

mkdir -p "$build"
# The committed art and test icons must be what their generators draw.
art_failed=0
if ! python3 "$root/tools/check_art.py" >"$build/art-check.log" 2>&1; then
  cat "$build/art-check.log"
  art_failed=1
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1 || { grep -vE '^\[ *[0-9]+%\]' "$build/build.log" | tail -60; echo "build failed"; exit 1; }

export QL_BUILD=$build QL_PREFIX=$build/test-prefix QL_UNMANAGED=1
source "$root/tools/wine-env.sh"
"${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
for own in "$build"/test-prefixes/*/; do
  [ -d "$own" ] && WINEPREFIX=$own "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
done
rm -rf "$QL_PREFIX" "$build/test-prefixes" "$build/test-results" "$XDG_DATA_HOME"
mkdir -p "$build/test-results/shuffled"

# One template prefix, made on a screen of its own; every test program runs in a copy of it
# (tools/wine-run.sh), with its own wineserver and its own Xvfb screen.
echo "making a fresh Wine prefix"
(
  unset DISPLAY
  ql_xvfb
  trap 'kill "$QL_XVFB_PID" 2>/dev/null || true' EXIT
  ql_wine_prefix
  "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  "${WINESERVER:-wineserver}" -w >/dev/null 2>&1 || true
)

status=0
(cd "$build" && ctest --output-on-failure -j"${QL_TEST_JOBS:-$(nproc)}") || status=$?

# Count test cases, not executables: every executable wrote its gtest report. Sets passed,
# failed and orders (the shuffled runs' order numbers: "program number ...").
count() {
  passed=0 failed=0 orders=""
  local xml t order
  for xml in "$1"/*.xml; do
    [ -f "$xml" ] || continue
    t=$(grep -m1 -oE '<testsuites tests="[0-9]+" failures="[0-9]+" disabled="[0-9]+" errors="[0-9]+"' "$xml" || true)
    [ -n "$t" ] || continue
    set -- $(echo "$t" | grep -oE '[0-9]+')
    passed=$((passed + $1 - $2 - $3 - $4)); failed=$((failed + $2 + $4))
    order=$(grep -m1 -oE 'random_seed="[0-9]+"' "$xml" | grep -oE '[0-9]+' || true)
    if [ -n "$order" ]; then orders="$orders $(basename "$xml" .xml) $order"; fi
  done
}
count "$build/test-results/shuffled"
shuffled_passed=$passed shuffled_failed=$failed
echo "shuffled order: $shuffled_passed passed, $shuffled_failed failed; order numbers:$orders"
[ "$shuffled_failed" = 0 ] ||
  echo "  (repeat one: QL_BUILD=$build bash tools/wine-run.sh build/bin/PROGRAM_tests.exe --gtest_shuffle --gtest_random_seed=NUMBER)"
count "$build/test-results"
failed=$((failed + shuffled_failed))
# An executable that died before writing its report counts as one failure.
expected=$(cd "$build" && ctest -N | sed -nE 's/^Total Tests: ([0-9]+)/\1/p')
reports=$(find "$build/test-results" -name '*.xml' 2>/dev/null | wc -l)
[ "$reports" -lt "${expected:-0}" ] && failed=$((failed + expected - reports))
[ "$status" != 0 ] && [ "$failed" = 0 ] && failed=1
failed=$((failed + art_failed))
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
