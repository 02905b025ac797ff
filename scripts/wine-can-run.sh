#!/usr/bin/env bash
# Exits 0 when this machine can start Wine for the given architecture.
#   wine-can-run.sh <win32|win64>
# A kernel built without IA-32 emulation cannot execute the 32-bit Wine
# loader at all ("Exec format error"); nothing the project installs helps.
arch=$1
if [ "$arch" = win32 ]; then loader=/usr/lib/wine/wine; else loader=/usr/lib/wine/wine64; fi
[ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
