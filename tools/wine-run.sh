#!/usr/bin/env bash
# Runs one test program under Wine with a display, a prefix and a wineserver of its own, so that
# no other program of the run shares its focus, activation, mouse or clipboard. CTest calls it for
# every test executable; the user's display is never used, even when DISPLAY is set.
#
# The prefix is a copy of the run's template prefix (made once, here or by tools/test.sh) that
# reaches only the build folder, with staged drive letters of its own (below).
# QL_TIME_LIMIT (seconds) ends a program that does not finish, and says so.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM.exe [ARGS...]" >&2; exit 2; }
export QL_UNMANAGED=${QL_UNMANAGED:-1}
source "$(dirname "$0")/wine-env.sh"

# QL_RUN_NAME names the prefix when one program runs twice at once (in order and shuffled).
program_name=$(basename "$1" .exe)
name=${QL_RUN_NAME:-$program_name}
unset DISPLAY
ql_xvfb
trap 'kill "$QL_XVFB_PID" 2>/dev/null || true' EXIT

template=$ql_build/test-prefix
own=$ql_build/test-prefixes/$name
mkdir -p "$ql_build/test-prefixes"

# Another program of the run may be making the template right now. A server dir name recorded in
# the prefix would make copies share one wineserver, so the copy forgets it.
(
  flock 9
  if [ ! -f "$template/system.reg" ]; then
    WINEPREFIX=$template ql_wine_prefix
    WINEPREFIX=$template "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
    WINEPREFIX=$template "${WINESERVER:-wineserver}" -w >/dev/null 2>&1 || true
  fi
) 9>"$ql_build/test-prefixes/.template.lock"

export WINEPREFIX=$own
"${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
rm -rf "$own"
cp -a "$template" "$own"
rm -rf "$own/wineserver"
export XDG_DATA_HOME=$own/xdg-data
mkdir -p "$XDG_DATA_HOME"

# The program reaches no host folder outside the build folder: of Wine's drive letters only C:
# (the prefix's own) stays, Z: (from which Wine starts the program) is the build folder instead
# of the host's root, and the user folders that Wine links to the home folder (Desktop,
# Documents, ...) are empty folders of the prefix.
for entry in "$own"/dosdevices/*; do
  case $(basename "$entry") in c:|com[0-9]*|lpt[0-9]*) ;; *) rm -f "$entry" ;; esac
done
ln -sfn "$ql_build" "$own/dosdevices/z:"
find "$own/drive_c" -type l | while read -r link; do
  case $(readlink -f "$link") in "$own"/*) ;; *) rm -f "$link" && mkdir -p "$link" ;; esac
done

# Drive letters of the program's own for the drive tests: Q: is a folder of this prefix with the
# volume label "Testlauf"; R: is a removable drive whose medium is missing; S: is the folder
# Q:\Wechsel, so a test that renames that folder takes the drive away. Wine reads drive types when
# its server starts, so the registry entry goes into the prefix's file before that.
mkdir -p "$own/staged-drive/Wechsel"
printf 'Testlauf\n' >"$own/staged-drive/.windows-label"
ln -sfn "$own/staged-drive" "$own/dosdevices/q:"
ln -sfn "$own/no-medium" "$own/dosdevices/r:"
ln -sfn "$own/staged-drive/Wechsel" "$own/dosdevices/s:"
printf '\n[Software\\\\Wine\\\\Drives]\n"r:"="floppy"\n' >>"$own/system.reg"

# Entries that only the host can make, for the tests of exact names: names with "*", "?" and a
# trailing dot, links that lead back up into their own folder, and links to another file and
# folder. They lie on Q:, inside this prefix, so no link reaches anything outside it.
host=$own/staged-drive/Wirt
mkdir -p "$host/Muster/wild*card" "$host/Muster/wild-card" "$host/Muster/wildXXXcard" "$host/Muster/abc." \
         "$host/Schleife/innen" "$host/Ziel" "$host/Verweis" "$host/Uebergabe"
for entry in 'wild*card' wild-card wildXXXcard; do printf '%s\n' "$entry" >"$host/Muster/$entry/drin.txt"; done
for entry in 'q?x' qax qbx; do printf '%s\n' "$entry" >"$host/Muster/$entry.ico"; done
printf 'abc\n' >"$host/Muster/abc"
printf 'innen\n' >"$host/Schleife/innen/a.txt"
ln -sfn . "$host/Schleife/innen/selbst"
ln -sfn .. "$host/Schleife/innen/hoch"
printf 'echt\n' >"$host/Ziel/echt.ico"
ln -sfn ../Ziel/echt.ico "$host/Verweis/verweis.ico"
ln -sfn ../Ziel "$host/Verweis/ordner"
printf 'uebergabe\n' >"$host/Ziel/uebergabe.ico"
ln -sfn ../Ziel/uebergabe.ico "$host/Uebergabe/temp\$\$\$.ico"

stop() {
  "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  kill "$QL_XVFB_PID" 2>/dev/null || true
}
trap stop EXIT
ql_wine_prefix

# A program that outlives its limit is stopped, but first every thread of the prefix is traced,
# so that a hang (in a test or after the report, at exit) leaves a trail.
limit=${QL_TIME_LIMIT:-300}
# Started from the build folder by its full path, the program sees its own path and current folder
# on Z:, not as host paths.
exe=$(realpath "$1")
shift
(cd "$ql_build" && exec wine "$exe" "$@" </dev/null) &
program=$!
deadline=$((SECONDS + limit))
while kill -0 "$program" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
  sleep 1
done
if kill -0 "$program" 2>/dev/null; then
  trace=$ql_build/test-results/$name-hang.txt
  mkdir -p "$(dirname "$trace")"
  timeout 120 wine winedbg --command "bt all" >"$trace" 2>&1 </dev/null || true
  echo "$name: did not finish within $limit s; stopped. Threads of its prefix at that moment:" >&2
  sed -n "/in process .*$program_name/,/^\$/p" "$trace" | head -200 >&2
  echo "(all threads: $trace)" >&2
  "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  wait "$program" 2>/dev/null || true
  exit 124
fi
status=0
wait "$program" || status=$?
exit "$status"
