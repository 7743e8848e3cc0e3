#!/usr/bin/env bash
# The MSI under Wine, silently, as a deployment tool runs it: installed for all users with its
# Start menu entry, the program starts from it, the next version replaces it, and its removal
# leaves nothing but the user's own settings. Usage: msi_test.sh <build folder> <source folder>
set -uo pipefail
src=$(realpath "$2") prefix=$(realpath "$1")/wineprefix
source "$src/tests/installer/lib.sh"
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
for v in 9.8.7 9.8.8; do "$src/installer/build-msi" $v "$1" "$work/$v.msi" || exit 1; done
msiexec() { wine_exec msiexec "$@" /qn >/dev/null 2>&1; }
programs=$(unix "$(folder ProgramFiles)\\Korvane") exe="$(folder ProgramFiles)\\Korvane\\korvane.exe"
users=$(unix "$(folder LOCALAPPDATA)\\Korvane")
# Wine's msi puts a machine installation's shortcut in the user's menu, Windows in all users'.
menu() { [ -n "$(ls "$(unix "$(folder ProgramData)")"/*/*/*/Programs/Korvane/Korvane.lnk \
  "$(unix "$(folder APPDATA)")"/*/*/*/Programs/Korvane/Korvane.lnk 2>/dev/null)" ]; }
entries() {  # "<product code> <version>" of each uninstall entry named Korvane
  wine_exec reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk -F'\\' '/^HKEY/ {key=$NF; n=0} /DisplayName .*REG_SZ +Korvane$/ {n=1}
      /DisplayVersion/ {v=$0; sub(/.* /, "", v)} /^$/ && n {print key, v; n=0}'
}
installed() { [ "$(entries | cut -d' ' -f2 | xargs)" = "$1" ]; }
settings='HKCU\Software\Korvane'
started() { wine_exec reg query "$settings\\settings" /v Path 2>/dev/null | grep -qF "\"$exe\""; }

# The program keeps its settings under the user's real key: the prefix's own are put aside. Each
# package has a product code of its own: one a stopped run left goes by its code.
wine_exec reg export "$settings" "$(windows "$work/saved.reg")" /y >/dev/null 2>&1
wine_exec reg delete "$settings" /f >/dev/null 2>&1
for code in $(entries | cut -d' ' -f1); do msiexec /x "$code"; done
msiexec /i "$(windows "$work/9.8.7.msi")"
check "under Program Files" test -f "$programs/korvane.exe" -a -f "$programs/help.chm"
check "Start menu entry" menu
check "uninstall entry of 9.8.7" installed 9.8.7
"$src/tools/wine-exec" "$prefix" "$exe" >/dev/null 2>&1 &
for _ in $(seq 100); do started && break; sleep 0.2; done
check "the installed program starts" started
kill $! && wait $!
msiexec /i "$(windows "$work/9.8.8.msi")"
check "9.8.8 replaces 9.8.7" installed 9.8.8
# What it writes beside itself, or in the user's folder when its own refuses a file.
mkdir -p "$users" && touch "$programs"/{NetDirect.inf,korvane.log} "$users"/{NetDirect.inf,korvane.log}
msiexec /x "$(windows "$work/9.8.8.msi")"
check "removed: uninstall entry" installed ""
check "removed: folder and all it held" absent test -e "$programs"
check "removed: news and log in the user's folder" absent test -e "$users/NetDirect.inf" -o -e "$users/korvane.log"
# The unfinished downloads go by a pattern, which Wine's msi takes as a name: the rows Windows
# acts on are read from the package.
downloads() { msiinfo export "$work/9.8.8.msi" RemoveFile | tr '\t\r' '  ' |
  grep -cE ' Program NetDirect\.inf\.\*\.tmp (INSTALLDIR|USERFOLDER) 2 ?$'; }
check "removed on Windows: the downloads beside it and in the user's folder" [ "$(downloads)" = 2 ]
check "removed: Start menu entry" absent menu
check "removed: machine key" absent reg_has 'HKLM\Software\Korvane'
check "the user's settings kept" reg_has "$settings\\settings" Path

wine_exec reg delete "$settings" /f >/dev/null 2>&1
wine_exec reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Korvane /f >/dev/null 2>&1
[ -f "$work/saved.reg" ] && wine_exec reg import "$(windows "$work/saved.reg")" >/dev/null 2>&1
[ "$failures" -eq 0 ]
