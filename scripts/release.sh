#!/usr/bin/env bash
# Builds the release of both architectures and collects it in build/release/:
# per architecture a zip (Kestrix.dll, Trellup.exe, OPOS.INI, README.txt) and
# a Windows Installer package, named Kestrix-<version>-<win32|win64>.
set -eu
cd "$(dirname "$0")/.."
out=build/release
rm -rf "$out"
mkdir -p "$out"
for preset in win32 win64; do
  if [ ! -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  # Packages of an earlier version would be collected too: build afresh.
  rm -f "build/$preset/package/"Kestrix-*
  cmake --build --preset "$preset" --target kx_package
  cp "build/$preset/package/"Kestrix-*-"$preset".zip "build/$preset/package/"Kestrix-*-"$preset".msi "$out/"
done
echo "Release in $out:"
(cd "$out" && ls -l Kestrix-*)
