#!/usr/bin/env bash
# The installer under Wine, silently, for the user and for all users: files, Start menu entry and
# uninstall entry after the install; after the uninstall none of them, nor what the program wrote
# in its folder or the user's, nor a Run entry that starts this copy (one that starts another
# stays), and the settings and crash reports only when asked, in the account that asked.
# Usage: install_test.sh <build folder> <source folder>
set -uo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
prefix=$build/wineprefix
source "$src/tests/installer/lib.sh"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/korvane.exe" "$build/help.chm" "$stage/"
setup=$build/korvane-test-setup.exe
user_setup=$build/korvane-test-setup-standard-user.exe
make_setup() {
  makensis -V1 -DVERSION=9.8.7 -DSOURCE="$stage" -DSETTINGS_KEY="Software\Korvane installer test" \
    "$@" "$src/installer/korvane.nsi" || exit 1
}
make_setup -DOUTFILE="$setup"
make_setup -DOUTFILE="$user_setup" -DUNINSTALL_AS_STANDARD_USER

programs=$(unix "$(folder LOCALAPPDATA)\\Programs\\Korvane")
menu=$(unix "$(folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Korvane")
reports=$(unix "$(folder LOCALAPPDATA)\\Korvane")
all_programs=$(unix "$(folder ProgramFiles)\\Korvane")
all_menu=$(unix "$(folder ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs\\Korvane")
[ -n "$programs" ] && [ -n "$menu" ] && [ -n "$all_programs" ] || { echo "no folders in the prefix"; exit 1; }
reg_is() { wine_exec reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -q "REG_DWORD *$3$"; }
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\Korvane installer test'

install() {  # install <folder> [options]
  local where=$1
  shift
  wine_exec "$setup" /S "$@" >/dev/null 2>&1
  for _ in $(seq 100); do [ -f "$where/desinstaller.exe" ] && break; sleep 0.2; done
}
# The uninstaller runs from a copy of itself; it is done when its own file is gone.
uninstall() {  # uninstall <folder> [options]
  local where=$1
  shift
  wine_exec "$where/desinstaller.exe" /S "$@" >/dev/null 2>&1
  for _ in $(seq 150); do [ -e "$where/desinstaller.exe" ] || break; sleep 0.2; done
  sleep 1
}
run_entry() { wine_exec reg add "$run_key" /v Korvane /t REG_SZ /d "$1" /f >/dev/null 2>&1; }
# What the program writes in its folder (or the user's) and the crash reports it leaves.
use_program() {
  mkdir -p "$reports"
  for f in NetDirect.inf NetDirect.inf.1a2b.tmp korvane.log; do echo x | tee "$1/$f" >"$reports/$f"; done
  touch "$reports/korvane-20261207-101010-42.dmp" "$reports/korvane-20261207-101010-42.txt"
}

rm -rf "$programs" "$menu" "$reports" "$all_programs" "$all_menu"
wine_exec reg delete "$settings_key" /f >/dev/null 2>&1
install "$programs"
check "korvane.exe installed" test -f "$programs/korvane.exe"
check "help.chm installed" test -f "$programs/help.chm"
check "Start menu entry" test -f "$menu/Korvane.lnk"
check "uninstall entry" reg_has "HKCU\\$uninstall_key" DisplayVersion
check "start with Windows, as checked by default" reg_is "$settings_key\\settings" StartWithWindows 0x1
check "uninstall entry's version" bash -c "'$src/tools/wine-exec' '$prefix' reg query 'HKCU\\$uninstall_key' /v DisplayVersion 2>/dev/null | grep -q 9.8.7"

# What the program leaves: files beside itself, crash reports, a Run entry (started with Windows)
# and its settings. This installer was built with a settings key of the test's own, so the
# prefix's real one is left alone.
use_program "$programs"
run_entry "\"$(folder LOCALAPPDATA)\\Programs\\Korvane\\korvane.exe\""
wine_exec reg add "$settings_key\\settings" /v Version /t REG_SZ /d 1 /f >/dev/null 2>&1
uninstall "$programs"
check "folder and all it held removed" absent test -e "$programs"
check "Start menu entry removed" absent test -e "$menu"
check "Run entry of this copy removed" absent reg_has "$run_key" Korvane
check "uninstall entry removed" absent reg_has "HKCU\\$uninstall_key"
check "settings kept when not asked" reg_has "$settings_key\\settings" Version
check "crash reports kept when not asked" test -f "$reports/korvane-20261207-101010-42.dmp"

install "$programs" /DEMARRAGE_WINDOWS=0
check "not with Windows when asked so" reg_is "$settings_key\\settings" StartWithWindows 0x0
run_entry '"C:\portable\korvane.exe"'
uninstall "$programs" /SUPPRIMER_REGLAGES
check "settings removed when asked" absent reg_has "$settings_key"
check "crash reports removed when asked" absent test -e "$reports"
check "Run entry of another copy kept" reg_has "$run_key" Korvane
wine_exec reg delete "$run_key" /v Korvane /f >/dev/null 2>&1

# For all users: under Program Files, the machine's uninstall entry and Start menu.
install "$all_programs" /TOUS
check "all users: korvane.exe installed" test -f "$all_programs/korvane.exe"
check "all users: Start menu entry" test -f "$all_menu/Korvane.lnk"
check "all users: machine uninstall entry" reg_has "HKLM\\$uninstall_key" InstallLocation
check "all users: no user uninstall entry" absent reg_has "HKCU\\$uninstall_key"
use_program "$all_programs"
uninstall "$all_programs" /SUPPRIMER_REGLAGES
check "all users: folder removed" absent test -e "$all_programs"
check "all users: Start menu entry removed" absent test -e "$all_menu"
check "all users: uninstall entry removed" absent reg_has "HKLM\\$uninstall_key"
check "all users: crash reports removed when asked" absent test -e "$reports"

# A standard user's copy removes his part, then starts an elevated one for the machine's (refused
# here too); an elevated copy removes the machine's part alone.
used_by_all() {  # <setup>
  wine_exec "$1" /S /TOUS >/dev/null 2>&1 && use_program "$all_programs"
  run_entry "\"$(folder ProgramFiles)\\Korvane\\korvane.exe\"" && wine_exec reg add "$settings_key" /f >/dev/null 2>&1
}
his_any() { reg_has "$settings_key" || test -e "$reports" || reg_has "$run_key" Korvane; }
his_all() { reg_has "$settings_key" && test -e "$reports" && reg_has "$run_key" Korvane; }
used_by_all "$user_setup"
wine_exec "$all_programs/desinstaller.exe" /S /SUPPRIMER_REGLAGES >/dev/null 2>&1
for _ in $(seq 100); do his_any || break; sleep 0.2; done
check "standard user: his part removed by his copy" absent his_any
check "standard user: the machine's part left to the elevated copy" test -e "$all_programs/korvane.exe"
used_by_all "$setup"
uninstall "$all_programs" /SUPPRIMER_REGLAGES /DROITS_DEMANDES
check "elevated copy: the machine's part removed" absent test -e "$all_programs"
check "elevated copy: the user's part left" his_all

wine_exec reg delete "$settings_key" /f >/dev/null 2>&1
wine_exec reg delete "$run_key" /v Korvane /f >/dev/null 2>&1
rm -rf "$setup" "$user_setup" "$reports"
[ "$failures" -eq 0 ]
