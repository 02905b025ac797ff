#!/usr/bin/env bash
# The simulated fleet under Wine:
#   1. a configured terminal: Trellup's store writes three drawers (the
#      bench's model, MasterValue 99 with hand-set ports, a long name) and
#      TrellupCmd export writes the provisioning file;
#   2. bad provisioning files, each refused by TrellupCmd import with its
#      message and nothing written, and one refused by the installer (1603,
#      no file installed, the device entries as they were);
#   3. <terminals> fresh terminals: msiexec /i DEVICES=... /qn, the bench's
#      control objects registered, TrellupCmd check --all --json; every
#      drawer must equal the source's, every check be healthy, and a second
#      import report "unchanged".
# Prints the time per terminal (install + import + check).
#
#   fleet_test.sh <win32|win64> <tree> <display> <msi> <terminals>
#
# A terminal's prefix is a copy of one prefix made for the run: wineboot
# takes 20-40 s, a copy of its result a few seconds, and the copy is the
# same untouched prefix. Prints "ok - ..." or "FAIL - ..." per check; exits
# 1 when any failed. After a failed run the prefixes stay under
# <tree>/fleet-test.
set -u
arch=$1 tree=$2 display=$3 msi=$4 terminals=$5
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$tree/fleet-test
. "$root/scripts/wine-checks.sh"
run() {  # run <prefix> <program> [args...]
  local prefix=$1; shift
  WINIO_SIM=fleet OPOS_SIM=fleet "$root/scripts/wine-run.sh" "$arch" "$prefix" "$display" "$@" </dev/null
}
stop() { "$root/scripts/wine-prefix.sh" stop "$arch" "$1" "$display"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
cmd='C:\Program Files\Kestrix\TrellupCmd.exe'
built_cmd=$tree/product/TrellupCmd.exe
product=$(winpath "$tree/product")

# The display of the tree's tests when they run; else one of our own.
if [ ! -S "/tmp/.X11-unix/X${display#:}" ]; then
  "$root/scripts/xvfb.sh" start "$display" "$tree/fleet-xvfb.pid" || exit 1
  trap '"$root/scripts/xvfb.sh" stop "$display" "$tree/fleet-xvfb.pid"' EXIT
fi
rm -rf "$work"
mkdir -p "$work/bad"
template=$work/template
"$root/scripts/wine-prefix.sh" init "$arch" "$template" "$display" >/dev/null 2>&1 || { echo "no Wine prefix" >&2; exit 1; }
settle "$template"
terminal() {  # terminal <prefix>: a fresh terminal
  rm -rf "$1"
  cp -a "$template" "$1"
}

# 1. The configured terminal.
src=$work/source
terminal "$src"
check "Trellup's store writes three drawers" \
  test "$(run "$src" "$tree/opos/fleet-source.exe" | tr -d '\r' | wc -l)" -eq 3
devices=$work/devices.json
run "$src" "$built_cmd" export "$(winpath "$devices")" | tr -d '\r' > "$work/exported.txt"
check "TrellupCmd export writes the three drawers" test "$(grep -c '^exported' "$work/exported.txt")" -eq 3
listed=$(run "$src" "$built_cmd" list | tr -d '\r')

# 2. Bad files: each refused, with its exit code and message, nothing written.
while IFS=$'\t' read -r file code message; do
  run "$src" "$built_cmd" import "$(winpath "$work/bad/$file")" >/dev/null 2>"$work/err.txt"
  got=$?
  err=$(tr -d '\r' < "$work/err.txt")
  if [ "$got" -eq "$code" ] && grep -qF -- "$message" <<<"$err" && grep -qF "nothing written" <<<"$err" &&
     [ "$(run "$src" "$built_cmd" list | tr -d '\r')" = "$listed" ]; then
    ok "$file refused (exit $got): $message"
  else
    fail "$file: exit $got (want $code), said: $err"
  fi
done < <(python3 "$here/bad_files.py" "$devices" "$work/bad")
stop "$src"

# The installer refuses a bad file: 1603, nothing installed, entries kept.
refused=$work/refused
terminal "$refused"
run "$refused" "$tree/opos/fleet-source.exe" >/dev/null
before=$(run "$refused" "$built_cmd" list | tr -d '\r')
run "$refused" msiexec /i "$(winpath "$msi")" DEVICES="$(winpath "$work/bad/negative-timeout.json")" /qn \
  /l*v "$(winpath "$work/refused.log")"
got=$?
settle "$refused"
# A Linux exit status keeps the low byte of Windows' 1603 (0x643): 67.
check "msiexec with a refused file fails with 1603 (exit status $got)" test "$got" -eq $((1603 % 256))
check "the refusal is in the installer's log" \
  grep -aqF "FleetBad: Timeout: -5 is outside 1 to 32767" "$work/refused.log"
check "no file is installed" test ! -e "$refused/drive_c/Program Files/Kestrix/TrellupCmd.exe"
check "the device entries are as they were" test "$(run "$refused" "$built_cmd" list | tr -d '\r')" = "$before"
stop "$refused"
rm -rf "$refused"

# 3. The fleet.
total=0
for i in $(seq 1 "$terminals"); do
  t=$work/terminal-$i
  terminal "$t"
  before=$failures
  start=$(now_ms)
  run "$t" msiexec /i "$(winpath "$msi")" DEVICES="$(winpath "$devices")" DLLPATH="$product" /qn \
    /l*v "$(winpath "$work/install-$i.log")"
  installed=$?
  install_ms=$(( $(now_ms) - start ))
  run "$t" "$tree/opos/opos-bench-setup.exe" --product "$product" >/dev/null
  start=$(now_ms)
  run "$t" "$cmd" check --all --json | tr -d '\r' > "$work/check-$i.txt"
  checked=$?
  check_ms=$(( $(now_ms) - start ))
  check "terminal $i: msiexec /i DEVICES=... /qn installs and imports" test "$installed" -eq 0
  check "terminal $i: the import's report is in the installer's log" \
    test "$(grep -ac 'TrellupCmd import: created' "$work/install-$i.log")" -eq 3
  check "terminal $i: check --all --json: 4 drawers, all healthy, exit 0" \
    test "$checked" -eq 0 -a "$(grep -c '"healthy":true' "$work/check-$i.txt")" -eq 4
  run "$t" "$cmd" export "$(winpath "$work/terminal-$i.json")" >/dev/null
  check "terminal $i: every drawer's values equal the source's" python3 "$here/same_devices.py" "$devices" "$work/terminal-$i.json"
  check "terminal $i: DllPath names the given folder" \
    grep -qiF "$product" <<<"$(run "$t" reg query 'HKLM\SOFTWARE\OLEforRetail\ServiceOPOS\CashDrawer\FleetHand' /v DllPath)"
  again=$(run "$t" "$cmd" import "$(winpath "$devices")" --dllpath "$product" | tr -d '\r' | cut -f1 | sort | uniq -c)
  check "terminal $i: a second import reports unchanged for all" test "$(echo $again)" = "3 unchanged"
  terminal_ms=$((install_ms + check_ms))
  total=$((total + terminal_ms))
  echo "   terminal $i: install+import $install_ms ms, check $check_ms ms, together $terminal_ms ms"
  stop "$t"
  [ "$failures" -eq "$before" ] && rm -rf "$t"
done
echo "   $terminals terminals, $((total / terminals)) ms per terminal (install + import + check)"
stop "$template"
# Prefixes take a gigabyte each: kept only for a failed run.
[ "$failures" -eq 0 ] && rm -rf "$template" "$src"
echo "$failures failed"
[ "$failures" -eq 0 ]
