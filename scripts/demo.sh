#!/usr/bin/env bash
# The demo: Trellup.exe from the product folder on the bench under Wine, in
# a clean prefix of its own (build/<tree>/demo-prefix) where the bench's
# control objects and simulated devices and Kestrix.dll are registered.
#   With DISPLAY set: the window on that display with a cash drawer created
#   and selected, until the person closes it; the bench tools' commands are
#   printed first.
#   Without: a private Xvfb (KX_DEMO_DISPLAY, default :87) and the tour
#   (trellup-tour) driven by window messages, its screenshots in build/demo/.
# Exits non-zero when a step of the tour does not show what it should.
set -eu
cd "$(dirname "$0")/.."
if scripts/wine-can-run.sh win32; then
  preset=win32
else
  preset=win64
  echo "This machine cannot start 32-bit Wine programs: the demo runs the 64-bit Trellup.exe."
fi
[ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Kestrix Trellup OposBench opos-bench-setup opos-sim winio-sim WinIo32 \
  trellup-tour | grep -v '^\[' || true

tree=$PWD/build/$preset
prefix=$tree/demo-prefix
shots=$PWD/build/demo
if [ -n "${DISPLAY:-}" ]; then
  display=$DISPLAY headless=0
else
  display=${KX_DEMO_DISPLAY:-:87} headless=1
fi
winpath() { echo "Z:$1" | tr / '\\'; }
run() { scripts/wine-run.sh "$preset" "$prefix" "$display" "$@"; }
stop() {
  scripts/wine-prefix.sh stop "$preset" "$prefix" "$display"
  if [ "$headless" = 1 ]; then scripts/xvfb.sh stop "$display" "$tree/demo-xvfb.pid"; fi
}
# Every run starts from a clean prefix and a fresh bench.
export WINIO_SIM=demo OPOS_SIM=demo
scripts/wine-prefix.sh stop "$preset" "$prefix" "$display"
rm -rf "$prefix"
if [ "$headless" = 1 ]; then scripts/xvfb.sh start "$display" "$tree/demo-xvfb.pid"; fi
trap stop EXIT
echo "Preparing the demo prefix $prefix"
scripts/wine-prefix.sh init "$preset" "$prefix" "$display" >/dev/null 2>&1
run "$tree/opos/opos-bench-setup.exe" | sed -u 's/\r$//'
run regsvr32 /s "$(winpath "$tree/product/Kestrix.dll")"
echo "Kestrix.dll registered from $tree/product"

if [ "$headless" = 0 ]; then
  tool="scripts/wine-run.sh $preset build/$preset/demo-prefix $display"
  cat <<EOT

Trellup.exe opens on $display with the cash drawer NVCD1 created and selected.
Open, Claim, DeviceEnabled and OpenDrawer it, then from another terminal here:
  open the drawer by hand:  $tool build/$preset/winio/winio-sim.exe --name demo open
  close the drawer:         $tool build/$preset/winio/winio-sim.exe --name demo close
  swipe a card on BenchMSR: $tool build/$preset/opos/opos-sim.exe --name demo swipe B4111111111111111^DEMO/CARD^3012 4111111111111111=3012
Close Trellup's window to end the demo.

EOT
  run "$tree/demo/trellup-tour.exe" --keep | sed -u 's/\r$//'
  exit "${PIPESTATUS[0]}"
fi

rm -rf "$shots"
mkdir -p "$shots"
run "$tree/demo/trellup-tour.exe" --shots "$(winpath "$shots")" | sed -u 's/\r$//'
result=${PIPESTATUS[0]}
echo "Screenshots:"
ls -1 "$shots"/*.png 2>/dev/null | sed "s|^$PWD/|  |"
exit "$result"
