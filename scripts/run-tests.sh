#!/usr/bin/env bash
# Checks that service/ and setup/ use nothing from bench/, builds the four
# trees and runs every suite. Prints one closing line
# "N passed, N failed" (GoogleTest cases plus other CTest tests) and exits
# non-zero when anything failed or did not build.
set -u
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native native-tsan win32 win64)
build_failed=0
# The product's folders use nothing from the bench (one line; a failure
# counts as one more failure in the closing line).
python3 scripts/check-includes.py || build_failed=1
for p in "${presets[@]}"; do
  # No report of an earlier run may count for this one.
  rm -rf "build/$p/test-reports"
  if ! scripts/build.sh "$p"; then
    echo "build of $p failed" >&2
    build_failed=$((build_failed + 1))
    continue
  fi
  rm -rf "build/$p/test-reports"
  mkdir -p "build/$p/test-reports"
  case "$p" in
  win32|win64)
    if ! scripts/wine-can-run.sh "$p"; then
      echo "$p: built; its tests were not run: this machine cannot start $p Wine programs" \
           "(a kernel without IA-32 emulation cannot execute the 32-bit loader)" >&2
      continue
    fi
    ;;
  esac
  ctest --preset "$p" --output-junit "test-reports/ctest.xml" || true
done
python3 scripts/count-results.py "${presets[@]}" --build-failures "$build_failed"
