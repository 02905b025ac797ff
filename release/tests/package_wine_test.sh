#!/usr/bin/env bash
# The installer package under Wine, each step in a fresh prefix of its own:
#   - regsvr32 Kestrix.dll in one prefix gives the expected COM entries;
#   - msiexec /i /qn in another installs the files into Program Files, the
#     same entries key by key and value by value (paths aside), a Start menu
#     entry and an installed-programs entry with the version;
#   - the bench's cash drawer control object opens a device through the
#     installed Kestrix.dll, found by its ProgID;
#   - Trellup.exe starts from its installed place;
#   - a newer package upgrades in place;
#   - uninstall leaves no file and no entry of the package, and keeps the
#     device entry under the OPOS area.
#
#   package_wine_test.sh <win32|win64> <tree> <display> <version> <msi>
# <tree> is the Windows build tree (product/, opos/, release-tests/).
# Prints "ok - ..." or "FAIL - ..." per check; exits 1 when any failed.
set -u
arch=$1 tree=$2 display=$3 version=$4 msi=$5
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$tree/package-test
entries="python3 $here/registry_entries.py"
failures=0

ok() { echo "ok - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() {  # check <description> <command...>
  local what=$1; shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
run() {  # run <prefix> <program> [args...]: a program under Wine in that prefix
  local prefix=$1; shift
  WINIO_SIM=package-test OPOS_SIM=package-test "$root/scripts/wine-run.sh" "$arch" "$prefix" "$display" "$@"
}
settle() {  # the prefix's registry written out: its server has ended
  WINEPREFIX=$1 /usr/lib/wine/wineserver -w
}
fresh() {
  "$root/scripts/wine-prefix.sh" stop "$arch" "$1" "$display"
  rm -rf "$1"
  "$root/scripts/wine-prefix.sh" init "$arch" "$1" "$display" >/dev/null 2>&1 || { echo "no Wine prefix at $1" >&2; exit 1; }
}
winpath() { echo "Z:$1" | tr / '\\'; }

rm -rf "$work"
mkdir -p "$work"
# Windows Installer compares the first three fields of a version.
IFS=. read -r major minor patch build <<<"$version"
newer=$major.$minor.$((patch + 1))${build:+.$build}
newer_msi=$work/Kestrix-$newer-$arch.msi
"$here/../build-msi.sh" "$arch" "$newer" "$tree/product" "$newer_msi" || { echo "newer package not built" >&2; exit 1; }

# What regsvr32 writes, from a copy in a folder of its own.
reg=$work/regsvr32-prefix
fresh "$reg"
mkdir -p "$reg/drive_c/Kestrix"
cp "$tree/product/Kestrix.dll" "$reg/drive_c/Kestrix/"
run "$reg" regsvr32 /s 'C:\Kestrix\Kestrix.dll'
settle "$reg"
$entries "$reg" --out "$work/regsvr32.txt"
check "regsvr32 wrote the service object's entries" grep -qi 'InprocServer32 | @ = sz:<dir>\\Kestrix.dll' "$work/regsvr32.txt"

# The package.
inst=$work/install-prefix
fresh "$inst"
program_files="$inst/drive_c/Program Files/Kestrix"
check "msiexec /i /qn installs" run "$inst" msiexec /i "$(winpath "$msi")" /qn
settle "$inst"
$entries "$inst" --out "$work/installed.txt"
if diff -u "$work/regsvr32.txt" "$work/installed.txt"; then
  ok "the installed COM entries equal regsvr32's ($(wc -l < "$work/regsvr32.txt") keys and values)"
else
  fail "the installed COM entries differ from regsvr32's"
fi
check "the four files are in Program Files" \
  test "$(cd "$program_files" 2>/dev/null && ls | tr '\n' ' ')" = "Kestrix.dll OPOS.INI Trellup.exe TrellupCmd.exe "
menu=Trellup
[ "$arch" = win64 ] && menu="Trellup (64-bit)"
check "the Start menu has $menu" \
  test -n "$(find "$inst/drive_c" -path "*Start Menu/Programs/Kestrix/$menu.lnk" 2>/dev/null)"
check "the installed programs list Kestrix and Trellup $version" \
  test "$($entries "$inst" --products)" = "Kestrix and Trellup $version"

# A device opens through the installed service object.
run "$inst" "$tree/opos/opos-bench-setup.exe" --product "$(winpath "$tree/product")" >/dev/null
probe=$(run "$inst" "$tree/opos/package-probe.exe" open BenchDrawer | tr -d '\r')
echo "   $probe"
check "the cash drawer control object opens BenchDrawer in the installed Kestrix.dll" \
  test "$probe" = 'Open 0 OpenResult 0 module C:\Program Files\Kestrix\Kestrix.dll'

started=$(run "$inst" "$tree/opos/package-probe.exe" start 'C:\Program Files\Kestrix\Trellup.exe' | tr -d '\r')
echo "   $started"
check "Trellup.exe starts from Program Files" test "$started" = "window Trellup v$major.$minor.$patch"

# Upgrade.
check "msiexec /i /qn of $newer upgrades" run "$inst" msiexec /i "$(winpath "$newer_msi")" /qn
settle "$inst"
check "the installed programs list only $newer" test "$($entries "$inst" --products)" = "Kestrix and Trellup $newer"
$entries "$inst" --out "$work/upgraded.txt"
check "the COM entries after the upgrade equal regsvr32's" cmp -s "$work/regsvr32.txt" "$work/upgraded.txt"
check "the four files are still in Program Files" \
  test "$(cd "$program_files" 2>/dev/null && ls | tr '\n' ' ')" = "Kestrix.dll OPOS.INI Trellup.exe TrellupCmd.exe "

# Uninstall.
check "msiexec /x /qn uninstalls" run "$inst" msiexec /x "$(winpath "$newer_msi")" /qn
settle "$inst"
check "no COM entry is left" test -z "$($entries "$inst")"
check "no installed-programs entry is left" test -z "$($entries "$inst" --products)"
check "the installation folder is gone" test ! -e "$program_files"
check "the Start menu entry is gone" \
  test -z "$(find "$inst/drive_c" -path '*Start Menu/Programs/Kestrix*' 2>/dev/null)"
check "the package's own key is gone" test -z "$($entries "$inst" --keys 'Software\Norvane')"
check "the device entry stays" \
  test -n "$($entries "$inst" --keys 'ServiceOPOS\CashDrawer\BenchDrawer')"

"$root/scripts/wine-prefix.sh" stop "$arch" "$inst" "$display"
echo "$failures failed"
[ "$failures" -eq 0 ]
