#!/usr/bin/env bash
# Runs the long soak of Kestrix.dll through the control object under Wine in
# each Windows tree this machine can start. Arguments go to kestrix_soak
# (default: 10 000 cycles; --minutes M for a run of M minutes).
set -eu
cd "$(dirname "$0")/.."
status=0
for preset in win32 win64; do
  scripts/build.sh "$preset" >/dev/null
  if ! scripts/wine-can-run.sh "$preset"; then
    echo "== $preset: built; not run: this machine cannot start $preset Wine programs"
    continue
  fi
  tree=$PWD/build/$preset
  display=$(sed -n 's/^KX_WINE_DISPLAY:[A-Z]*=//p' "$tree/CMakeCache.txt")
  scripts/xvfb.sh start "$display" "$tree/soak-xvfb.pid"
  scripts/wine-prefix.sh init "$preset" "$tree/wineprefix" "$display"
  echo "== $preset"
  scripts/wine-run.sh "$preset" "$tree/wineprefix" "$display" "$tree/opos/kestrix_soak.exe" "$@" || status=1
  scripts/wine-prefix.sh stop "$preset" "$tree/wineprefix" "$display"
  scripts/xvfb.sh stop "$display" "$tree/soak-xvfb.pid"
done
exit $status
