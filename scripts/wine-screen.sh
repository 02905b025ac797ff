#!/usr/bin/env bash
# Runs a Windows program under Wine in a tree's prefix on a private Xvfb
# screen of a given size. The prefix's wineserver is ended before and after,
# so that its desktop takes this screen's size and the next run the tree's.
#   wine-screen.sh <win32|win64> <prefix> <display> <width>x<height> <program> [args...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
arch=$1 prefix=$2 display=$3 size=$4
shift 4
server=/usr/lib/wine/wineserver
[ -x "$server" ] || server=$(ls /usr/lib/wine/wineserver* 2>/dev/null | head -n 1)
stop_server() { WINEPREFIX="$prefix" "$server" -k 2>/dev/null; WINEPREFIX="$prefix" "$server" -w 2>/dev/null; }
pidfile="$prefix/../xvfb-${display#:}.pid"
stop_server
"$here/xvfb.sh" start "$display" "$pidfile" "$size" || exit 1
"$here/wine-run.sh" "$arch" "$prefix" "$display" "$@"
rc=$?
stop_server
"$here/xvfb.sh" stop "$display" "$pidfile"
exit $rc
