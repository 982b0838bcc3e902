#!/usr/bin/env bash
# core_bench.sh [--cycles N] [--failures M] [--seed S]
# Measures the running monitoring core under Wine against the UPS simulator on COM1: cycle period,
# CPU time per polling cycle, handles after 10 and after N cycles, and the host's reaction time to
# mains cuts and returns at random moments of the polling cycle. Prints figures; never fails on
# them.
#
# Needs the native build (the simulator) and the win64 build (core_bench.exe, orvik_dll.dll):
#   cmake --preset native && cmake --build --preset native
#   cmake --preset win64 && cmake --build --preset win64
# N defaults to 1000 cycles (about 17 minutes); --cycles 60 is a quick run. M defaults to 30.
#
# Makes or reuses the build's Wine prefix and stops its server and display at the end. Another
# prefix can be named with ORVIK_WINE_PREFIX, e.g. to run beside the build's tests, which share
# COM1 of the build's prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win64=${ORVIK_WIN64_BUILD_DIR:-$root/build/win64}
native=${ORVIK_NATIVE_BUILD_DIR:-$root/build/native}
prefix=${ORVIK_WINE_PREFIX:-$win64/wineprefix}
program=$win64/bin/core_bench.exe
upssim=$native/tools/upssim/upssim

for needed in "$program" "$win64/bin/orvik_dll.dll" "$upssim"; do
  [ -e "$needed" ] || { echo "core_bench.sh: $needed is missing; build the native and win64 presets" >&2; exit 2; }
done

cycles=1000
failures=30
args=("$@")
while [ $# -gt 0 ]; do
  case $1 in
    --cycles) cycles=$2; shift 2 ;;
    --failures) failures=$2; shift 2 ;;
    --seed) shift 2 ;;
    *) echo "usage: core_bench.sh [--cycles N] [--failures M] [--seed S]" >&2; exit 2 ;;
  esac
done

"$root/tools/wine/prefix.sh" up "$prefix"
trap '"$root/tools/wine/prefix.sh" down "$prefix"' EXIT

# A cycle takes a little over a second, a failure and its return up to about five.
export ORVIK_TEST_TIMEOUT=$((cycles * 12 / 10 + failures * 8 + 120))
export ORVIK_WINE_PREFIX=$prefix ORVIK_UPSSIM=$upssim ORVIK_SIM_SCENARIO=$root/tools/wine/com1_steady.txt
"$root/tools/wine/run_test.sh" "$program" "${args[@]}"
