# The checks of the Wine test scripts (sourced): "ok - ..." or "FAIL - ..."
# per check, counted in $failures; and the small Wine helpers they share.
failures=0

ok() { echo "ok - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() {  # check <description> <command...>
  local what=$1; shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
settle() {  # the prefix's registry written out: its server has ended
  WINEPREFIX=$1 /usr/lib/wine/wineserver -w
}
winpath() { echo "Z:$1" | tr / '\\'; }  # a Linux path as Wine's Z: drive names it
