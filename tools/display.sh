# Sourced by tools/test and tools/run: makes sure a display exists for Wine's windows.
# Without one, starts a private Xvfb and stops it when the calling script exits.
korvane_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  KORVANE_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
  trap 'kill "$KORVANE_XVFB_PID" 2>/dev/null || true' EXIT
}

# Creates the build's private Wine prefix once and keeps its wineserver warm for the run.
# Usage: korvane_warm_wine <prefix> [--win64]
korvane_warm_wine() {
  local prefix=$1
  "$(dirname "${BASH_SOURCE[0]}")/wine-exec" ${2:+"$2"} "$prefix" cmd /c exit >/dev/null 2>&1 || true
  WINEPREFIX=$prefix wineserver -p 60 || true
}
