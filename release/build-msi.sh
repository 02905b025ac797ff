#!/usr/bin/env bash
# Builds the Windows Installer package of one architecture with wixl.
#   build-msi.sh <win32|win64> <version> <product dir> <out.msi> [<action dll>]
# <product dir> holds Kestrix.dll, Trellup.exe, TrellupCmd.exe and OPOS.INI;
# <action dll> is TrellupMsiAction.dll (default: the msi/ folder beside
# <product dir>, as the build tree lays it out). Used by the
# Windows trees' package target and by the package test (which builds a
# newer version to upgrade to).
set -eu
arch=$1 version=$2 product=$3 out=$4
action=${5:-$product/../msi/TrellupMsiAction.dll}
here=$(cd "$(dirname "$0")" && pwd)
for f in Kestrix.dll Trellup.exe TrellupCmd.exe OPOS.INI; do
  [ -f "$product/$f" ] || { echo "build-msi: $product/$f is missing" >&2; exit 1; }
done
[ -f "$action" ] || { echo "build-msi: $action is missing" >&2; exit 1; }
case "$arch" in
win32) upgrade=6A0F3C52-91D4-4B7E-8E25-3F1C7B94D0A8 dir=ProgramFilesFolder win64=no wixarch=x86 bits=32
       menu="Trellup" strip=i686-w64-mingw32-strip ;;
win64) upgrade=C4E81B27-5D39-4F06-A6C3-92B7E0D415F6 dir=ProgramFiles64Folder win64=yes wixarch=x64 bits=64
       menu="Trellup (64-bit)" strip=x86_64-w64-mingw32-strip ;;
*) echo "usage: $0 <win32|win64> <version> <product dir> <out.msi> [<action dll>]" >&2; exit 2 ;;
esac
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# wixl takes sources and includes by names relative to its working folder.
mkdir "$work/files"
cp "$product/Kestrix.dll" "$product/Trellup.exe" "$product/TrellupCmd.exe" "$work/files/"
# The actions travel inside the package only: without their debug symbols.
"$strip" -o "$work/files/TrellupMsiAction.dll" "$action"
python3 "$here/ship_ini.py" "$product/OPOS.INI" "$work/files/OPOS.INI"
cp "$here/Kestrix.wxs" "$work/"
python3 "$here/com_entries.py" "$here/com_entries.tsv" "$arch" "$work/com-entries.wxi" "$work/com-entry-refs.wxi"
if ! (cd "$work" && wixl -a "$wixarch" -o package.msi \
        -D Version="$version" -D UpgradeCode="$upgrade" -D ProgramFilesDir="$dir" -D Win64="$win64" \
        -D Bits="$bits" -D MenuName="$menu" \
        -D ProductDir=files -D ActionDll=files/TrellupMsiAction.dll -D ComEntries=com-entries.wxi -D ComEntryRefs=com-entry-refs.wxi \
        Kestrix.wxs 2>wixl.log); then
  cat "$work/wixl.log" >&2
  exit 1
fi
mv "$work/package.msi" "$out"
