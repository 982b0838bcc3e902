#!/usr/bin/env bash
# run_test.sh PROGRAM.exe [args...]
# Runs one Windows test program under Wine in the build's prefix (made by prefix.sh up) and exits
# with its code. A program that outlives ORVIK_TEST_TIMEOUT seconds is killed and the test fails.
#
# With ORVIK_UPSSIM and ORVIK_SIM_SCENARIO set, a UPS simulator plays that scenario on COM1 for
# the program's whole run; the program finds the simulator's files through ORVIK_SIM_RECORD,
# ORVIK_SIM_CONTROL, ORVIK_SIM_STATE and ORVIK_SIM_LOG (Unix paths; Z:\ maps them under Wine).
# With ORVIK_NUT_SERVER set instead (to the simulator's speed), NUT's own server serves a simulated
# UPS natively for the run (nut_server.sh): the same four variables name that simulator's files,
# and ORVIK_NUT_PORT, ORVIK_NUT_UPSD_LOG and ORVIK_NUT_SERVER_CONTROL the server's. Exit 77 (a
# skip) when NUT's server is not installed.
# Programs of the i686 build are offered through ORVIK_WIN32_BIN_DIR only when this machine can
# run them; ORVIK_CAN_RUN_32BIT says which.
set -uo pipefail
export WINEPREFIX=${ORVIK_WINE_PREFIX:?ORVIK_WINE_PREFIX must name the prefix}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/env.sh"
timeout_s=${ORVIK_TEST_TIMEOUT:-120}
program=${1:?program to run}
shift

# The prefix's X display (prefix.sh up starts it), for programs that make windows.
if [ -f "$WINEPREFIX.display" ]; then
  export DISPLAY
  DISPLAY=$(cut -d' ' -f1 "$WINEPREFIX.display")
fi

if can_run_32bit; then export ORVIK_CAN_RUN_32BIT=1; else export ORVIK_CAN_RUN_32BIT=0; fi

sim_pid=
work=
nut_dir=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
  [ -n "$nut_dir" ] && "$here/nut_server.sh" down "$nut_dir"
  [ -n "$work" ] && rm -rf "$work"
}
trap cleanup EXIT

start_simulator() {
  local scenario=$ORVIK_SIM_SCENARIO
  [ -f "$scenario" ] || scenario="$here/../upssim/scenarios/$scenario"
  work=$(mktemp -d "${TMPDIR:-/tmp}/orvik-sim.XXXXXX")
  export ORVIK_SIM_RECORD=$work/record ORVIK_SIM_CONTROL=$work/control
  export ORVIK_SIM_STATE=$work/state ORVIK_SIM_LOG=$work/log
  "$ORVIK_UPSSIM" --link "$ORVIK_COM1_LINK" --scenario "$scenario" --record "$ORVIK_SIM_RECORD" \
    --control "$ORVIK_SIM_CONTROL" --state "$ORVIK_SIM_STATE" --log "$ORVIK_SIM_LOG" \
    >"$work/stdout" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q '^upssim: ready' "$work/stdout" 2>/dev/null && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "run_test.sh: the UPS simulator did not start:" >&2
  cat "$work/stdout" >&2
  exit 1
}

start_nut_server() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/orvik-nut.XXXXXX")
  nut_dir=$work/nut
  "$here/nut_server.sh" up "$nut_dir" --speed "$ORVIK_NUT_SERVER" >"$work/env" || exit $?
  set -a
  source "$work/env"
  set +a
}

if [ -n "${ORVIK_NUT_SERVER:-}" ]; then
  start_nut_server
elif [ -n "${ORVIK_UPSSIM:-}" ]; then
  start_simulator
fi

timeout --kill-after=5 "$timeout_s" "$WINE" "$program" "$@"
rc=$?
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
  echo "run_test.sh: $program did not finish within ${timeout_s} s" >&2
fi
if [ $rc -ne 0 ] && [ -n "$work" ]; then
  echo "--- simulator log (last 40 lines)" >&2
  tail -n 40 "${ORVIK_SIM_LOG:-$work/log}" >&2 2>/dev/null
  [ -n "$nut_dir" ] && { echo "--- upsd's log (last 40 lines)" >&2; tail -n 40 "$ORVIK_NUT_UPSD_LOG" >&2; }
fi
exit $rc
