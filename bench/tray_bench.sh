#!/usr/bin/env bash
# tray_bench.sh PREFIX [SECONDS]: the tray application of a system left running by
# `tools/demo.sh --keep-running` in PREFIX: its memory beside an empty Win32 program's
# (tray_bench.exe) and the CPU time of its one-second tick, counted by Linux for both Wine
# processes over SECONDS (default 60; the kernel counts in clock ticks, so longer is finer).
# Figures only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$1 DISPLAY
seconds=${2:-60}
DISPLAY=$(cut -d' ' -f1 "$WINEPREFIX.display")
source "$root/tools/wine/env.sh"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

"$WINE" "$root/build/win64/bin/tray_bench.exe" --seconds $((seconds + 2)) 2>/dev/null &
bench=$!
sleep 4
tray=$(pgrep -f 'orvik_ups.exe /gui' | head -n 1)
empty=$(pgrep -f 'empty_window.exe' | head -n 1)
if [ -z "$tray" ] || [ -z "$empty" ]; then
  echo "   tray_bench.sh: no tray application or empty program to measure"
  wait $bench || true
  exit 0
fi
tray_start=$(cpu_ticks "$tray") empty_start=$(cpu_ticks "$empty")
sleep "$seconds"
tray_end=$(cpu_ticks "$tray") empty_end=$(cpu_ticks "$empty")
wait $bench || true
hz=$(getconf CLK_TCK)
awk -v t=$((tray_end - tray_start)) -v e=$((empty_end - empty_start)) -v hz="$hz" -v s="$seconds" 'BEGIN {
  printf "  tick                   %.2f ms CPU per one-second tick (%d clock ticks of %d ms over %d s)\n",
    t * 1000 / hz / s, t, 1000 / hz, s
  printf "  empty program          %.2f ms CPU per second over the same time\n", e * 1000 / hz / s }'
