#!/usr/bin/env bash
# The demo: fires the simulated cash drawer through the port library's
# exports under Wine and prints what the hardware did.
set -eu
cd "$(dirname "$0")/.."
preset=win32
scripts/build.sh "$preset"
tree=$PWD/build/$preset
display=:93
scripts/xvfb.sh start "$display" "$tree/demo-xvfb.pid"
trap 'scripts/wine-prefix.sh stop win32 "$tree/wineprefix" "$display"; scripts/xvfb.sh stop "$display" "$tree/demo-xvfb.pid"' EXIT
scripts/wine-prefix.sh init win32 "$tree/wineprefix" "$display"
WINIO_SIM=demo scripts/wine-run.sh win32 "$tree/wineprefix" "$display" "$tree/winio/winio-demo.exe"
