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
#     device entry under the OPOS area;
#   - given the 32-bit package too (the 64-bit tree's test), both packages
#     side by side: removing either keeps every entry the other needs, the
#     last removes every entry.
#
#   package_wine_test.sh <win32|win64> <tree> <display> <version> <msi> [<msi32>]
# <tree> is the Windows build tree (product/, opos/, release-tests/); <msi32>
# the 32-bit package to install beside the 64-bit <msi>, a step skipped when
# it is not built or this machine cannot run 32-bit Wine programs.
# Prints "ok - ..." or "FAIL - ..." per check; exits 1 when any failed.
set -u
arch=$1 tree=$2 display=$3 version=$4 msi=$5 msi32=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$tree/package-test
entries="python3 $here/registry_entries.py"
. "$root/scripts/wine-checks.sh"
run() {  # run <prefix> <program> [args...]: a program under Wine in that prefix
  local prefix=$1; shift
  WINIO_SIM=package-test OPOS_SIM=package-test "$root/scripts/wine-run.sh" "$arch" "$prefix" "$display" "$@"
}
fresh() {
  "$root/scripts/wine-prefix.sh" stop "$arch" "$1" "$display"
  rm -rf "$1"
  "$root/scripts/wine-prefix.sh" init "$arch" "$1" "$display" >/dev/null 2>&1 || { echo "no Wine prefix at $1" >&2; exit 1; }
}
same() {  # same <description> <expected file> <prefix>: the prefix's COM entries are those listed
  $entries "$3" --out "$work/actual.txt"
  if diff -u <(LC_ALL=C sort -u "$2") <(LC_ALL=C sort "$work/actual.txt"); then ok "$1"; else fail "$1"; fi
}

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

# Both packages side by side in one prefix, the 32-bit one installed first.
# Expected: while both are installed, the entries of each alone; once one is
# removed, the other's entries. HELPDIR names the folder of the package
# installed last and is each package's own entry: removing either package
# removes it (the system reads no help folder to load the type library; a
# repair of the other package writes it back). The ProgIDs' component is
# common to both packages, but Wine's installer writes a 32-bit component's
# keys into the 32-bit view even where Windows shares the key, so under Wine
# the two packages' ProgIDs are two copies: the one of the package removed
# first stays after the last is removed (on Windows one key, removed).
side_by_side() {
  local both=$work/both-prefix progids32=$work/progids32.txt
  local x86="$both/drive_c/Program Files (x86)/Kestrix" x64="$both/drive_c/Program Files/Kestrix"
  local helpdir='\\1\.0\\helpdir'
  grep -i '^software\\classes\\norvane\.' "$work/regsvr32.txt" > "$work/progids64.txt"
  sed 's/^software\\classes\\/&wow6432node\\/' "$work/progids64.txt" > "$progids32"
  fresh "$both"
  check "side by side: the 32-bit package installs" run "$both" msiexec /i "$(winpath "$msi32")" /qn
  settle "$both"
  $entries "$both" --out "$work/alone32.txt"
  check "side by side: the 32-bit package registers its class in the 32-bit view" \
    grep -qi 'wow6432node\\clsid\\{ed8e9135-beca-458a-a317-74c48397089c}\\inprocserver32 | @ = sz:<dir>\\Kestrix.dll' \
    "$work/alone32.txt"
  check "side by side: the 64-bit package installs beside it" run "$both" msiexec /i "$(winpath "$msi")" /qn
  settle "$both"
  cat "$work/alone32.txt" "$work/regsvr32.txt" > "$work/expected.txt"
  same "side by side: the COM entries are those of both packages" "$work/expected.txt" "$both"

  check "side by side: the 32-bit package uninstalls" run "$both" msiexec /x "$(winpath "$msi32")" /qn
  settle "$both"
  grep -vi "$helpdir" "$work/regsvr32.txt" | cat - "$progids32" > "$work/expected.txt"
  same "side by side: the 64-bit package's COM entries stay, HELPDIR aside" "$work/expected.txt" "$both"
  check "side by side: the 64-bit files stay, the 32-bit ones are gone" \
    test "$(cd "$x64" 2>/dev/null && ls | tr '\n' ' ')" = "Kestrix.dll OPOS.INI Trellup.exe TrellupCmd.exe " -a ! -e "$x86"
  run "$both" "$tree/opos/opos-bench-setup.exe" --product "$(winpath "$tree/product")" >/dev/null
  probe=$(run "$both" "$tree/opos/package-probe.exe" open BenchDrawer | tr -d '\r')
  echo "   $probe"
  check "side by side: the control object still opens BenchDrawer in the 64-bit Kestrix.dll" \
    test "$probe" = 'Open 0 OpenResult 0 module C:\Program Files\Kestrix\Kestrix.dll'

  check "side by side: the 32-bit package installs again" run "$both" msiexec /i "$(winpath "$msi32")" /qn
  check "side by side: the 64-bit package uninstalls" run "$both" msiexec /x "$(winpath "$msi")" /qn
  settle "$both"
  grep -vi "$helpdir" "$work/alone32.txt" | cat - "$work/progids64.txt" > "$work/expected.txt"
  same "side by side: the 32-bit package's COM entries stay, HELPDIR aside" "$work/expected.txt" "$both"
  check "side by side: the 32-bit files stay, the 64-bit ones are gone" \
    test "$(cd "$x86" 2>/dev/null && ls | tr '\n' ' ')" = "Kestrix.dll OPOS.INI Trellup.exe TrellupCmd.exe " -a ! -e "$x64"

  check "side by side: the last package uninstalls" run "$both" msiexec /x "$(winpath "$msi32")" /qn
  settle "$both"
  same "side by side: no COM entry is left but Wine's second copy of the ProgIDs" "$work/progids64.txt" "$both"
  check "side by side: no installed-programs entry is left" test -z "$($entries "$both" --products)"
  check "side by side: no installation folder is left" test ! -e "$x86" -a ! -e "$x64"
  "$root/scripts/wine-prefix.sh" stop "$arch" "$both" "$display"
}
if [ -z "$msi32" ]; then
  :
elif [ ! -f "$msi32" ]; then
  ok "skipped: side by side with the 32-bit package, not built at $msi32"
elif ! "$root/scripts/wine-can-run.sh" win32; then
  ok "skipped: side by side with the 32-bit package, this machine cannot run 32-bit Wine programs"
else
  side_by_side
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
