#!/usr/bin/env bash
# run.sh [--cycles N] [--failures M]: the system's figures in one command. Installs what is missing,
# builds what the measurements need, and prints: the memory of the installed service, the reaction
# time to a power failure, CPU time per polling cycle and memory of a process hosting the monitoring
# core (under Wine, against the UPS simulator), the statistics rebuild over a ten-year archive and
# the decode of a day's raw file, the status-line parser, the tray application's tick and memory
# beside an empty Win32 program's, the viewer's repaint, the statistics sheet's fill, load and
# export, the NUT server under 200 clients, and the machine it ran on. Figures only: nothing passes or fails. Defaults: 120 polling
# cycles and 20 power failures (about five minutes after the build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cycles=120
failures=20
while [ $# -gt 0 ]; do
  case $1 in
    --cycles) cycles=$2; shift 2 ;;
    --failures) failures=$2; shift 2 ;;
    *) echo "usage: bench/run.sh [--cycles N] [--failures M]" >&2; exit 2 ;;
  esac
done

tools/setup.sh
echo "== building"
tools/build.sh bench stats_bench status_parser_bench scope_bench nut_load || exit 1
tools/build.sh native demo || exit 1
tools/build.sh win64 demo core_bench scope_paint tray_bench stat_sheet_bench || exit 1

echo "== machine"
echo "   $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores," \
  "$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) RAM; $(/usr/lib/wine/wine64 --version)"

echo "== statistics: rebuild of a ten-year archive, decode of a full day's raw file"
build/bench/bench/stats_bench --benchmark_filter='UpdateAll|ReadAndDecode' --benchmark_min_time=1 2>/dev/null |
  grep -E '^BM_'
echo "== status-line parser"
build/bench/bench/status_parser_bench --benchmark_min_time=1 2>/dev/null | grep -E '^BM_'
echo "== the viewer: one repaint of eight strips of 1000 points, the mapping alone"
build/bench/bench/scope_bench --benchmark_min_time=1 2>/dev/null | grep -E '^BM_'

# A prefix of its own, so the figures can be taken beside a test run of the build's prefix.
prefix=$root/build/bench/wineprefix
echo "== the installed service: its memory after the demo's cable-pulled story (about 45 s)"
tools/demo.sh --no-build --scenario cable-pulled --prefix "$prefix" --keep-running \
  >"$root/build/bench/service_demo.log" 2>&1 || echo "   (the demo did not finish its story: build/bench/service_demo.log)"
grep '^service process:' "$root/build/bench/service_demo.log" | sed 's/^/   /'
echo "== the tray application of that system: its memory and one-second tick (about a minute)"
bench/tray_bench.sh "$prefix" | sed 's/^/ /'
tools/demo.sh --stop >/dev/null
echo "== the monitoring core under Wine: polling, memory, reaction to power failures"
ORVIK_WINE_PREFIX=$prefix bench/core_bench.sh --cycles "$cycles" --failures "$failures"
echo "== the viewer: one whole repaint under Wine, GDI included"
tools/wine/prefix.sh up "$prefix" >/dev/null
(export WINEPREFIX=$prefix DISPLAY; DISPLAY=$(cut -d' ' -f1 "$prefix.display"); source tools/wine/env.sh
  "$WINE" build/win64/bin/scope_paint.exe 2>/dev/null | sed 's/^/   /'
  echo "== the statistics sheet over a generated ten-year archive (about 20 s)"
  "$WINE" build/win64/bin/stat_sheet_bench.exe 2>/dev/null | sed 's/^/   /')
tools/wine/prefix.sh down "$prefix" >/dev/null
echo "== the NUT server: 200 clients asking once a second and one asking back to back (about 3 minutes)"
bench/nut_server_bench.sh | sed 's/^/ /'
