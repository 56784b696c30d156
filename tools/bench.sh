#!/usr/bin/env bash
# Runs the benchmarks on the built programs and prints one line per measurement:
#   what | ours: median (min-max) | the platform alone: median (min-max) | ratio of the medians
#   (range of the ratios of single runs) | runs
# Build first (tools/test.sh). QL_BENCH_RUNS sets the runs of each measurement (at least 5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QL_BUILD=${QL_BUILD:-$root/build}
bin=$QL_BUILD/bin
data=$QL_BUILD/bench-data
run() { "$root/tools/wine-run.sh" "$@" 2>/dev/null | tr -d '\r'; }
# A path of the build folder as the programs see it: the build folder is their Z:.
z() { echo "Z:${1#"$QL_BUILD"}"; }

# The library folder: programs and libraries of Wine's own system folder, those with icons
# named, and every tenth of the rest in name order.
wine_dlls=/usr/lib/i386-linux-gnu/wine/i386-windows
if [ ! -d "$data/libraries" ]; then
  mkdir -p "$data/libraries"
  for name in shell32.dll comctl32.dll comdlg32.dll user32.dll winecfg.exe taskmgr.exe notepad.exe cmd.exe; do
    cp "$wine_dlls/$name" "$data/libraries/"
  done
  (cd "$wine_dlls" && ls -1 -- *.dll *.exe | LC_ALL=C sort | awk 'NR % 10 == 1') | while read -r name; do
    cp -n "$wine_dlls/$name" "$data/libraries/" || true
  done
fi

echo "# $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores, $(wine --version 2>/dev/null)"
echo "# libraries: $(ls "$data/libraries" | wc -l) files, $(du -sm "$data/libraries" | cut -f1) MB"
run "$bin/GalleryBench.exe" gallery "$(z "$data/libraries")"
run "$bin/GalleryBench.exe" gallery "$(z "$QL_BUILD/test-bulk")"
run "$bin/GalleryBench.exe" library "$(z "$data/libraries/shell32.dll")" "$(z "$bin/Buero/Buero.dll")" "$(z "$bin/Natur/Natur.icl")"
run "$bin/StartBench.exe" "$(z "$bin/Quillandora.exe")" "$(z "$bin/BareWindow.exe")"
run "$bin/StartBench.exe" "$(z "$bin/Quillandora.exe")" "$(z "$bin/BareLibraries.exe")" "a bare window importing the same libraries"
run "$bin/EditorBench.exe"
