#!/usr/bin/env bash
# The MSI under Wine, silently, as a deployment tool runs it: installed for all users with its
# Start menu entry, the program starts from it, a later version replaces it, and its removal
# leaves nothing but the user's own settings.
# Usage: msi_test.sh <build folder> <source folder>
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

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for v in 9.8.7 9.8.8; do
  "$src/installer/build-msi" "$v" "$build" "$work/korvane-$v.msi" || exit 1
done
msi() { wine_exec msiexec "$1" "$(WINEPREFIX=$prefix winepath -w "$2" 2>/dev/null)" /qn >/dev/null 2>&1; }

folder() { wine_exec cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix() { WINEPREFIX=$prefix winepath -u "$1" 2>/dev/null; }
programs=$(unix "$(folder ProgramFiles)\\Korvane")
# Wine's msi puts a machine installation's shortcuts in the installing user's menu; Windows puts
# them in the menu of all users. Either is the entry.
menus=("$(unix "$(folder ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs\\Korvane")"
  "$(unix "$(folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Korvane")")
[ -n "$programs" ] && [ -n "${menus[0]}" ] || { echo "no folders in the prefix"; exit 1; }
menu_entry() { [ -f "${menus[0]}/Korvane.lnk" ] || [ -f "${menus[1]}/Korvane.lnk" ]; }
menu_folder() { [ -e "${menus[0]}" ] || [ -e "${menus[1]}" ]; }
uninstall_entries() {  # "<product code> <version>" of each uninstall entry named Korvane
  wine_exec reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk -F'\\' '/^HKEY/ {key=$NF; name=""; version=""}
      /DisplayName .*REG_SZ +Korvane$/ {name=1} /DisplayVersion/ {split($0, f, " "); version=f[3]}
      /^$/ && name {print key, version; name=""} END {if (name) print key, version}'
}
installed() { [ "$(uninstall_entries | cut -d' ' -f2 | tr '\n' ' ')" = "${1:+$1 }" ]; }
reg_has() { wine_exec reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
settings='HKCU\Software\Korvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# The program keeps its settings under the user's real key: the prefix's own are put aside.
wine_exec reg export "$settings" "$(WINEPREFIX=$prefix winepath -w "$work/saved.reg")" /y \
  >/dev/null 2>&1
wine_exec reg delete "$settings" /f >/dev/null 2>&1
saved_run=$(wine_exec reg query "$run_key" /v Korvane 2>/dev/null | tr -d '\r' |
  sed -n 's/.*REG_SZ *//p')
# Each package built has a product code of its own: one a stopped run left is removed by its code.
for code in $(uninstall_entries | cut -d' ' -f1); do
  wine_exec msiexec /x "$code" /qn >/dev/null 2>&1
done
rm -rf "$programs"

msi /i "$work/korvane-9.8.7.msi"
check "korvane.exe under Program Files" test -f "$programs/korvane.exe"
check "help.chm under Program Files" test -f "$programs/help.chm"
check "Start menu entry" menu_entry
check "uninstall entry of 9.8.7" installed 9.8.7

# Started from there, the program gets as far as its start-up save, which records its path.
exe="$(folder ProgramFiles)\\Korvane\\korvane.exe"
"$src/tools/wine-exec" "$prefix" "$exe" >/dev/null 2>&1 &
program=$!
started() {
  wine_exec reg query "$settings\\settings" /v Path 2>/dev/null |
    grep -qF "\"$exe\""
}
for _ in $(seq 100); do started && break; sleep 0.2; done
check "the installed program starts" started
kill "$program" 2>/dev/null
wait "$program" 2>/dev/null
# What the program writes beside itself. (Its unfinished downloads, NetDirect.inf.*.tmp, go by a
# pattern, which Wine's msi does not expand: Windows does.)
for f in NetDirect.inf korvane.log; do echo x >"$programs/$f"; done

msi /i "$work/korvane-9.8.8.msi"
check "9.8.8 replaces 9.8.7: one uninstall entry" installed 9.8.8
check "9.8.8: korvane.exe in place" test -f "$programs/korvane.exe"
check "9.8.8: Start menu entry" menu_entry

msi /x "$work/korvane-9.8.8.msi"
check "removed: no uninstall entry" installed ""
check "removed: folder and all it held" absent test -e "$programs"
check "removed: Start menu entry" absent menu_folder
check "removed: no machine key" absent reg_has 'HKLM\Software\Korvane'
check "the user's settings kept" reg_has "$settings\\settings" Path

wine_exec reg delete "$settings" /f >/dev/null 2>&1
[ -f "$work/saved.reg" ] &&
  wine_exec reg import "$(WINEPREFIX=$prefix winepath -w "$work/saved.reg")" >/dev/null 2>&1
if [ -n "$saved_run" ]; then
  wine_exec reg add "$run_key" /v Korvane /t REG_SZ /d "$saved_run" /f >/dev/null 2>&1
else
  wine_exec reg delete "$run_key" /v Korvane /f >/dev/null 2>&1
fi
[ "$failures" -eq 0 ]
