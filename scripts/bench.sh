#!/usr/bin/env bash
# Runs the benchmark programs under Wine in both Windows trees and prints
# their figures. Not part of `make test`.
set -eu
cd "$(dirname "$0")/.."
for preset in win32 win64; do
  scripts/build.sh "$preset"
  if ! scripts/wine-can-run.sh "$preset"; then
    echo "== $preset: built; not run: this machine cannot start $preset Wine programs"
    continue
  fi
  tree=$PWD/build/$preset
  display=:94
  scripts/xvfb.sh start "$display" "$tree/bench-xvfb.pid"
  scripts/wine-prefix.sh init "$preset" "$tree/wineprefix" "$display"
  echo "== $preset"
  for exe in "$tree"/winio/*_benchmark.exe "$tree"/product/*_benchmark.exe "$tree"/opos/*_benchmark.exe; do
    scripts/wine-run.sh "$preset" "$tree/wineprefix" "$display" "$exe"
  done
  scripts/wine-prefix.sh stop "$preset" "$tree/wineprefix" "$display"
  scripts/xvfb.sh stop "$display" "$tree/bench-xvfb.pid"
done
