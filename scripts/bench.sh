#!/usr/bin/env bash
# Builds both Windows trees, runs every benchmark program under Wine several
# times (BENCH_RUNS, 3 by default) in each tree this machine can start, and
# prints one table of medians and worsts, both architectures side by side,
# each figure beside what the fixed-wait design or the slowest allowed path
# gives. The table also goes into docs/benchmarks.md with the date and the
# commit. Not part of `make test`. BENCH_NO_BUILD=1 uses the trees as built.
# The idle CPU figure needs a long quiet spell rather than repeats: the core
# benchmark watches the idle monitor for BENCH_IDLE_S seconds (300 by default)
# in the first run only, once per architecture.
set -eu
cd "$(dirname "$0")/.."
runs=${BENCH_RUNS:-3}
idle_s=${BENCH_IDLE_S:-300}
results=()
for preset in win32 win64; do
  [ -n "${BENCH_NO_BUILD:-}" ] || scripts/build.sh "$preset" >/dev/null
  out=$PWD/build/$preset/bench-results.txt
  results+=("$preset=$out")
  if ! scripts/wine-can-run.sh "$preset"; then
    echo "== $preset: built; not run: this machine cannot start $preset Wine programs" >&2
    echo "NOT RUN" > "$out"
    continue
  fi
  tree=$PWD/build/$preset
  display=$(sed -n 's/^KX_WINE_DISPLAY:[A-Z]*=//p' "$tree/CMakeCache.txt")
  scripts/xvfb.sh start "$display" "$tree/bench-xvfb.pid"
  scripts/wine-prefix.sh init "$preset" "$tree/wineprefix" "$display"
  : > "$out"
  for run in $(seq 1 "$runs"); do
    for exe in "$tree"/winio/*_benchmark.exe "$tree"/product/*_benchmark.exe "$tree"/opos/*_benchmark.exe; do
      [ -f "$exe" ] || continue
      args=()
      if [ "$(basename "$exe")" = kestrix_core_benchmark.exe ]; then
        if [ "$run" = 1 ]; then args=(--idle-seconds "$idle_s"); else args=(--idle-seconds 0); fi
      fi
      echo "== $preset run $run: $(basename "$exe")${args[*]:+ ${args[*]}}" >&2
      scripts/wine-run.sh "$preset" "$tree/wineprefix" "$display" "$exe" "${args[@]}" | tee /dev/stderr | tr -d '\r' |
        grep '^BENCH|' >> "$out" || true
    done
  done
  scripts/wine-prefix.sh stop "$preset" "$tree/wineprefix" "$display"
  scripts/xvfb.sh stop "$display" "$tree/bench-xvfb.pid"
done
python3 scripts/bench-table.py --runs "$runs" --doc docs/benchmarks.md "${results[@]}"
