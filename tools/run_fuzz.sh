#!/usr/bin/env bash
# run_fuzz.sh TARGET WORKDIR [SEED_CORPUS]
# A short libFuzzer run of one target: seeds copied into a work corpus, then a fixed time budget.
set -euo pipefail
target=$1 work=$2 seeds=${3:-}
seconds=${ORVIK_FUZZ_SECONDS:-20}
mkdir -p "$work"
if [ -n "$seeds" ] && [ -d "$seeds" ]; then cp -n "$seeds"/* "$work"/ 2>/dev/null || true; fi
exec "$target" -max_total_time="$seconds" -print_final_stats=1 "$work"
