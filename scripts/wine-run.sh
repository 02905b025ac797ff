#!/usr/bin/env bash
# Runs a Windows program under Wine in a given prefix and display.
#   wine-run.sh <win32|win64> <prefix> <display> <program> [args...]
# Used by CTest as the cross-compiling emulator and by the demo.
set -u
arch=$1 prefix=$2 display=$3
shift 3
export WINEPREFIX="$prefix" WINEARCH="$arch" DISPLAY="$display"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts in a test prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ "$arch" = win32 ]; then loader=/usr/lib/wine/wine; else loader=/usr/lib/wine/wine64; fi
exec "$loader" "$@"
