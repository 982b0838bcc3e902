#!/usr/bin/env bash
# demo.sh: the system protecting a computer through a power failure, under Wine, against the UPS
# simulator. Installs what is missing, builds, makes a private Wine prefix, starts the simulated
# UPS on COM1 and a host of the driver library, and plays: mains, then battery, then the capacity
# threshold, then the critical point (UPS turn-off, monitoring stopped). Prints a line a second,
# then the day's event lines and where the files are.
#
#   tools/demo.sh [--keep]     --keep: leave the demo's folder (build/demo) for a look afterwards
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
demo=$root/build/demo

tools/setup.sh
echo "== building (the first build takes a few minutes)"
cmake --preset native >/dev/null && cmake --build --preset native --target upssim >/dev/null
cmake --preset win64 >/dev/null && cmake --build --preset win64 --target orvik_dll demo_host >/dev/null

export WINEPREFIX=$demo/wineprefix
source tools/wine/env.sh
echo "== Wine prefix $WINEPREFIX"
tools/wine/prefix.sh up "$WINEPREFIX" >/dev/null
mkdir -p "$demo/files"
rm -rf "$demo/files/stats" "$demo/files/trace.txt"
mkdir -p "$demo/files/stats"

sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  tools/wine/prefix.sh down "$WINEPREFIX"
}
trap cleanup EXIT

echo "== the simulated UPS on COM1 (physics 10 times faster than real time)"
build/native/tools/upssim/upssim --link "$ORVIK_COM1_LINK" --scenario tools/demo/power_failure.txt \
  --speed 10 --record "$demo/files/ups_received.bin" --log "$demo/files/ups.log" >"$demo/files/upssim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^upssim: ready' "$demo/files/upssim.out" 2>/dev/null && break; sleep 0.05; done

to_windows() { echo "Z:${1//\//\\}"; }
echo "== the monitoring: mains for a few seconds, then mains fails"
(cd build/win64/bin && "$WINE" demo_host.exe "$(to_windows "$demo/files/stats")" "$(to_windows "$demo/files/trace.txt")" 150)

echo
echo "== today's event lines (stored in Windows-1251)"
log=$(find "$demo/files/stats" -name '*_log.dat' | head -n 1)
[ -n "$log" ] && iconv -f CP1251 -t UTF-8 "$log"
echo
echo "== what the UPS received, in order (repeats counted)"
tr '\r' '\n' <"$demo/files/ups_received.bin" | uniq -c
echo
echo "== files"
echo "   statistics archive   $demo/files/stats"
echo "   debug trace          $demo/files/trace.txt"
echo "   simulator log        $demo/files/ups.log"
