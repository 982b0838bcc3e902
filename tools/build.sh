#!/usr/bin/env bash
# build.sh PRESET [--dir DIR] TARGET...: configures a preset's build (in build/PRESET, or DIR) and
# builds the targets, quietly. A failure prints the end of the output and where the whole of it is,
# and exits 1.
set -uo pipefail
cd "$(dirname "$0")/.."
preset=${1:?preset}
shift
dir=$PWD/build/$preset
if [ "${1:-}" = --dir ]; then dir=$2; shift 2; fi
log=$dir.build.log
mkdir -p "$(dirname "$dir")"
if ! { cmake --preset "$preset" -B "$dir" && cmake --build "$dir" --target "$@"; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "build.sh: the $preset build of $* failed (the whole output is in $log)" >&2
  exit 1
fi
