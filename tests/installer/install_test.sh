#!/usr/bin/env bash
# The installer under Wine, silently: files, Start menu entry and uninstall entry after the
# install; after the uninstall none of them, nor the Run entry, and the settings only when asked.
# Usage: install_test.sh <build folder> <source folder>
set -uo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
prefix=$build/wineprefix
wine_exec() { "$src/tools/wine-exec" "$prefix" "$@"; }
failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
absent() { ! "$@"; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/korvane.exe" "$build/help.chm" "$stage/"
setup=$build/korvane-test-setup.exe
makensis -V1 -DVERSION=9.8.7 -DSOURCE="$stage" -DOUTFILE="$setup" \
  -DSETTINGS_KEY="Software\Korvane installer test" "$src/installer/korvane.nsi" ||
  exit 1

folder() { wine_exec cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix() { WINEPREFIX=$prefix winepath -u "$1" 2>/dev/null; }
programs=$(unix "$(folder LOCALAPPDATA)\\Programs\\Korvane")
menu=$(unix "$(folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Korvane")
[ -n "$programs" ] && [ -n "$menu" ] || { echo "no user folders in the prefix"; exit 1; }
reg_has() { wine_exec reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\Korvane installer test'

install() {
  wine_exec "$setup" /S >/dev/null 2>&1
  for _ in $(seq 100); do [ -f "$programs/desinstaller.exe" ] && break; sleep 0.2; done
}
# The uninstaller runs from a copy of itself; it is done when its own file is gone.
uninstall() {
  wine_exec "$programs/desinstaller.exe" /S "$@" >/dev/null 2>&1
  for _ in $(seq 150); do [ -e "$programs/desinstaller.exe" ] || break; sleep 0.2; done
  sleep 1
}

rm -rf "$programs" "$menu"
install
check "korvane.exe installed" test -f "$programs/korvane.exe"
check "help.chm installed" test -f "$programs/help.chm"
check "Start menu entry" test -f "$menu/Korvane.lnk"
check "uninstall entry" reg_has "$uninstall_key" DisplayVersion
check "uninstall entry's version" bash -c "'$src/tools/wine-exec' '$prefix' reg query '$uninstall_key' /v DisplayVersion 2>/dev/null | grep -q 9.8.7"

# What the program leaves: a Run entry (started with Windows) and its settings. This installer
# was built with a settings key of the test's own, so the prefix's real one is left alone.
wine_exec reg add "$run_key" /v Korvane /t REG_SZ /d "\"C:\\korvane.exe\"" /f >/dev/null 2>&1
wine_exec reg add "$settings_key\\settings" /v Version /t REG_SZ /d 1 /f >/dev/null 2>&1
uninstall
check "program files removed" absent test -e "$programs/korvane.exe"
check "help removed" absent test -e "$programs/help.chm"
check "folder removed" absent test -d "$programs"
check "Start menu entry removed" absent test -e "$menu"
check "Run entry removed" absent reg_has "$run_key" Korvane
check "uninstall entry removed" absent reg_has "$uninstall_key"
check "settings kept when not asked" reg_has "$settings_key\\settings" Version

install
uninstall /SUPPRIMER_REGLAGES
check "settings removed when asked" absent reg_has "$settings_key"
wine_exec reg delete "$settings_key" /f >/dev/null 2>&1
rm -f "$setup"
[ "$failures" -eq 0 ]
