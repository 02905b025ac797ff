#!/usr/bin/env bash
# The simulated fleet at full size: twenty fresh terminals get the installer
# package with a provisioning file and check their drawers (tests/fleet/).
# FLEET_TERMINALS sets the number, FLEET_ARCH the architecture (win32, the
# usual OPOS deployment, when this machine can run it; else win64).
set -eu
cd "$(dirname "$0")/.."
arch=${FLEET_ARCH:-win32}
if [ "$arch" = win32 ] && ! scripts/wine-can-run.sh win32; then
  echo "fleet: this machine cannot start win32 Wine programs; running win64" >&2
  arch=win64
fi
scripts/build.sh "$arch" >/dev/null
tree=$PWD/build/$arch
display=$(sed -n 's/^KX_WINE_DISPLAY:[A-Z]*=//p' "$tree/CMakeCache.txt")
version=$(sed -n 's/^#define KX_VERSION_STRING "\(.*\)"/\1/p' "$tree/generated/kx_version.h")
WINEDEBUG=-all exec tests/fleet/fleet_test.sh "$arch" "$tree" "$display" "$tree/package/Kestrix-$version-$arch.msi" \
  "${FLEET_TERMINALS:-20}"
