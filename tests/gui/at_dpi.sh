#!/usr/bin/env bash
# Runs window tests with the screen at another DPI: Wine reads LogPixels when a program starts,
# so the value is set in the build's prefix, the tests run, and 96 comes back on every path (the
# other window tests expect the design DPI).
# Usage: at_dpi.sh <wine-exec> <prefix> <dpi> <test.exe> [test arguments...]
set -euo pipefail
wine_exec=$1
prefix=$(realpath -m "$2")
dpi=$3
shift 3

set_dpi() {
  # Both places Wine has read it from over its releases.
  local key
  for key in 'HKCU\Control Panel\Desktop' \
             'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    "$wine_exec" "$prefix" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  done
}

# The prefix exists (created on first use) before its registry is written.
"$wine_exec" "$prefix" cmd /c exit >/dev/null 2>&1 || true
trap 'set_dpi 96' EXIT
trap 'exit 143' TERM INT
set_dpi "$dpi"
# The tests check that the screen really is at the DPI asked for.
KORVANE_DPI=$dpi "$wine_exec" "$prefix" "$@"
