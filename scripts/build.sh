#!/usr/bin/env bash
# Configures (once) and builds the given presets, all four by default.
set -eu
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native native-tsan win32 win64)
for p in "${presets[@]}"; do
  if [ ! -f "build/$p/build.ninja" ]; then
    cmake --preset "$p" >/dev/null
  fi
  cmake --build --preset "$p"
done
