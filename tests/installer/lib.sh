# Sourced by the installer tests: Wine in the build's prefix, the checks and their count, the
# prefix's folders and registry. Needs $src (the source folder) and $prefix.
wine_exec() { "$src/tools/wine-exec" "$prefix" "$@"; }
failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
absent() { ! "$@"; }
folder() { wine_exec cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix() { WINEPREFIX=$prefix winepath -u "$1" 2>/dev/null; }
windows() { WINEPREFIX=$prefix winepath -w "$1" 2>/dev/null; }
reg_has() { wine_exec reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
