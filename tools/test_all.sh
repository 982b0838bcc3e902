#!/usr/bin/env bash
# test_all.sh: the project's test command. First the README's main command as a new user runs it
# on a clean clone: tools/demo.sh installs what is missing, builds only what the demo builds and
# tells the power-failure story, checked (one test). Then it builds every preset, makes the
# installer and runs every kind of test: native unit tests (sanitizers), fuzz targets, Windows
# tests under Wine.
# Ends with one line "N passed, N failed" over all of them; exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export ORVIK_FUZZ_SECONDS=${ORVIK_FUZZ_SECONDS:-5}
source tools/wine/env_check.sh

phase_start=$SECONDS
phase() {  # phase NAME: prints how long the phase before it took
  local now=$SECONDS
  [ -n "${phase_name:-}" ] && echo "== phase ${phase_name}: $((now - phase_start)) s"
  phase_name=$1
  phase_start=$now
  echo "== $1"
}

fail() { echo "test_all.sh: $*" >&2; echo "${passed:-0} passed, $((${failed:-0} + 1)) failed"; exit 1; }

passed=0 failed=0
phase demo
if tools/demo.sh --check; then
  passed=$((passed + 1))
else
  echo "test_all.sh: the demo (tools/demo.sh --check) failed"
  failed=$((failed + 1))
fi

phase install
tools/setup.sh || fail "installation failed"

phase build
presets=(native win64 fuzz)
if can_run_32bit; then presets+=(win32); else
  echo "test_all.sh: this machine cannot execute 32-bit programs: the i686 build is made, its tests are not run"
fi
# win32 is always built: it is a deliverable, and its compile-time layout checks must hold.
for preset in native win32 win64 fuzz; do
  cmake --preset "$preset" >/dev/null || fail "configure $preset failed"
  cmake --build --preset "$preset" || fail "build $preset failed"
done

phase package
# The release files; the Wine tests then install and remove them (package_check).
tools/package.sh || fail "packaging failed"

phase prefix
# The prefixes are made side by side: each is mostly Wine waiting on itself. The second computer of
# tools/nut/two_computers_check.sh has one of its own beside win64's, made here and then down
# until that check brings it up.
declare -A prefix_job=()
for preset in win64 win32; do
  [[ " ${presets[*]} " == *" $preset "* ]] || continue
  tools/wine/prefix.sh up "$root/build/$preset/wineprefix" >"build/$preset/prefix.log" 2>&1 &
  prefix_job[build/$preset/prefix.log]=$!
done
peer_prefix=$root/build/win64/wineprefix-peer
(tools/wine/prefix.sh up "$peer_prefix" && tools/wine/prefix.sh down "$peer_prefix") >build/win64/prefix-peer.log 2>&1 &
prefix_job[build/win64/prefix-peer.log]=$!
for log in "${!prefix_job[@]}"; do  # each job's log names it
  wait "${prefix_job[$log]}"
  rc=$?
  cat "$log"
  [ $rc -eq 0 ] || fail "Wine prefix failed ($log)"
done

phase tests
# What the i686 build adds is told by its i686-labelled tests; the rest would only repeat the x86-64
# run. The demo phase above told the power-failure story already. The i686 run has a prefix of its
# own and mostly waits on Wine: it runs beside the others, its output shown when it is done.
declare -A selection=([win32]="-L i686" [win64]="-E ^demo_power-failure$")
run_ctest() {  # preset: its ctest, output shown and kept in its log
  # shellcheck disable=SC2086 # the selection is two words
  ctest --preset "$1" ${selection[$1]:-} 2>&1 | tee "build/$1/ctest.log"
}
count_ctest() {  # preset: adds its summary to the totals
  local log=build/$1/ctest.log summary total bad
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$summary" ]; then
    echo "test_all.sh: ctest for $1 printed no summary"
    failed=$((failed + 1))
    return
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}
beside=
if [[ " ${presets[*]} " == *" win32 "* ]]; then
  run_ctest win32 >/dev/null &
  beside=$!
fi
for preset in "${presets[@]}"; do
  [ "$preset" = win32 ] && continue
  run_ctest "$preset"
  count_ctest "$preset"
done
if [ -n "$beside" ]; then
  wait "$beside"
  cat build/win32/ctest.log
  count_ctest win32
fi
phase done

echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
