#!/usr/bin/env bash
# Creates (once) or shuts down a private Wine prefix.
#   wine-prefix.sh init|stop <win32|win64> <prefix> <display>
set -u
cmd=$1 arch=$2 prefix=$3 display=$4
export WINEPREFIX="$prefix" WINEARCH="$arch" DISPLAY="$display" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$arch" = win32 ]; then loader=/usr/lib/wine/wine; else loader=/usr/lib/wine/wine64; fi
server=/usr/lib/wine/wineserver
[ -x "$server" ] || server=$(ls /usr/lib/wine/wineserver* 2>/dev/null | head -n 1)
case "$cmd" in
init)
  [ -f "$prefix/.kx-ready" ] && exit 0
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  "$loader" wineboot -i || { echo "wineboot failed for $prefix" >&2; exit 1; }
  "$server" -w
  touch "$prefix/.kx-ready"
  ;;
stop)
  [ -d "$prefix" ] && "$server" -k 2>/dev/null
  exit 0
  ;;
*) echo "usage: $0 init|stop <arch> <prefix> <display>" >&2; exit 2 ;;
esac
