# Sourced by the scripts that run Windows programs: a Wine prefix inside the
# build tree and, where there is no display, a private Xvfb.
# Usage: wine_session_start [fresh]; ...; wine_session_stop
wine_session_start() {
  local root; root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "${1:-}" = fresh ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
    bash "$root/scripts/wineprefix.sh" "$WINEPREFIX"
  fi
  _own_xvfb=
  if [ -z "${DISPLAY:-}" ] || [ "${2:-}" = private ]; then
    local n
    for n in $(seq 90 130); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    _own_xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  wineserver -p 2>/dev/null || true   # keep one server for the whole session
  # Wine's own services (explorer, winedevice, ...) start with the first
  # program and outlive it. Start them now, away from CTest's output pipes,
  # which CTest would otherwise wait on until they close.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

wine_session_stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "${_own_xvfb:-}" ]; then kill "$_own_xvfb" 2>/dev/null || true; wait "$_own_xvfb" 2>/dev/null || true; fi
}
