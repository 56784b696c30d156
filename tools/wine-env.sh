# Sourced by the scripts that start Wine: one place for the prefix and its settings.
# QL_PREFIX picks the prefix; it defaults to the test prefix inside the build folder.
ql_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ql_build=${QL_BUILD:-$ql_root/build}
export WINEPREFIX=${QL_PREFIX:-$ql_build/test-prefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No menu entries or file associations of Wine's in the user's home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The recycle bin and other per-user shell data stay inside the build folder.
export XDG_DATA_HOME=$ql_build/xdg-data
# The native server serves 32-bit clients too and spares them emulation where the kernel lacks ia32.
[ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64
mkdir -p "$XDG_DATA_HOME"

# Makes the prefix once; the server is started apart so it never holds a caller's pipes.
ql_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    wine wineboot -i >"$ql_build/wineboot.log" 2>&1 </dev/null
    # Without a window manager (Xvfb), Wine waits a second for the manager at every show and
    # hide of a managed window; test windows need none.
    if [ "${QL_UNMANAGED:-0}" = 1 ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$ql_build/wineboot.log" 2>&1 </dev/null
    fi
  fi
  "${WINESERVER:-wineserver}" -p >/dev/null 2>&1 </dev/null || true
}

# Starts Xvfb with a 24-bit screen on a free display unless DISPLAY is set; sets QL_XVFB_PID.
# The server picks the display number itself, so parallel callers never race for one.
ql_xvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  local numberFile
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 ${QL_SCREEN:-1280x1024x24} -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 </dev/null &
  QL_XVFB_PID=$!
  for _ in $(seq 100); do
    if [ -s "$numberFile" ]; then
      export DISPLAY=:$(tr -d '[:space:]' <"$numberFile")
      rm -f "$numberFile"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$numberFile"
  echo "Xvfb did not start" >&2
  return 1
}
