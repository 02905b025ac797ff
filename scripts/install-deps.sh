#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is
# missing, so a second run costs nothing. Needs root (or sudo). Recommended
# packages come along: Wine draws its message boxes with them (fonts, X
# extensions).
set -eu
packages=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev python3
          mingw-w64 mingw-w64-tools libwine-dev wine64 wine32:i386
          xvfb xauth imagemagick clang libclang-rt-14-dev msitools wixl
          libcli11-dev nlohmann-json3-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
