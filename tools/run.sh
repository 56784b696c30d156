#!/usr/bin/env bash
# Sets up the machine, builds both programs and starts Quillandora.exe under Wine on its demo
# catalogue. With a display it runs there until you close it; without one it runs under Xvfb
# and leaves a screenshot in build/screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/tools/setup.sh"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target Quillandora editor >"$build/build.log" 2>&1 || { tail -60 "$build/build.log"; exit 1; }

program=$build/bin/Quillandora.exe
export QL_PREFIX=$build/run-prefix
if [ -n "${DISPLAY:-}" ]; then
  source "$root/tools/wine-env.sh"
  ql_wine_prefix
  echo "starting $program"
  wine "$program" >"$build/run.log" 2>&1 </dev/null
  "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
else
  echo "no display: running under Xvfb"
  QL_WAIT=${QL_WAIT:-8} bash "$root/tools/screenshot.sh" "$build/screenshot.png" "$program"
fi
