#!/usr/bin/env bash
# clients_check.sh: NUT's own programs (Debian's nut-client), run natively on this machine, against
# the installed service "UPS" under Wine sharing the simulated UPS on 127.0.0.1 and ::1 at a port
# chosen for the run. One service start tells the whole story:
#   1. orvik_ups's /network switches set the server up (and refuse a bad value); /network lists it
#      without passwords; `orvik_ups /install` unattended starts the service with it;
#   2. upsc lists the UPS and its variables over IPv4 and IPv6; upscmd starts a quick battery test
#      for a permitted user (the UPS receives T) and is refused for another;
#   3. a real upsmon logs in as a secondary; upsc follows the UPS: OL, OB, stale data while the
#      cable is pulled, OB again, then OB LB held steady while the capacity threshold is reached
#      every other cycle and the service's wait before action runs;
#   4. at the critical point upsc shows FSD, upsmon runs its shutdown command but stays (the
#      command does not return), so the service's wait ends at HostSync (event 42: one told, none
#      gone) and the critical action still happens (events 14, 15 and the rehearsal 30).
# (The story where upsmon leaves and the wait ends early is the demo's scenario "network".)
# About 90 s. Exit code 0 when every check passed, 1 otherwise, 77 without NUT's programs.
#
#   tools/nut/clients_check.sh [--prefix DIR]   DIR: an existing prefix, left up (ctest's)
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
upssim=${ORVIK_UPSSIM:-$root/build/native/tools/upssim/upssim}
bin=${ORVIK_BIN_DIR:-$root/build/win64/bin}
upsc=/usr/bin/upsc
upscmd=/usr/bin/upscmd
upsmon=/lib/nut/upsmon
prefix=
case ${1:-} in
  --prefix) prefix=${2:?--prefix DIR} ;;
  '') ;;
  *) sed -n '2,19p' "$0" >&2; exit 2 ;;
esac
for program in "$upsc" "$upscmd" "$upsmon"; do
  [ -x "$program" ] || { echo "clients_check: $program is missing (Debian's nut-client; tools/setup.sh)"; exit 77; }
done

work=$root/build/nut-clients-check
manage_prefix=0
[ -n "$prefix" ] || { prefix=$work/wineprefix; manage_prefix=1; }
export WINEPREFIX=$prefix
source tools/wine/env.sh
rm -rf "$work/files"
mkdir -p "$work/files"
files=$work/files
if [ $manage_prefix -eq 1 ]; then
  tools/wine/prefix.sh up "$WINEPREFIX" >"$work/prefix.log" 2>&1 || { cat "$work/prefix.log"; exit 1; }
fi
export DISPLAY
DISPLAY=$(cut -d' ' -f1 "$WINEPREFIX.display")

source tools/checks.sh
run() { (cd "$bin" && "$WINE" "$@" 2>>"$files/wine.log"); }
to_windows() { echo "Z:${1//\//\\}"; }

port=$(free_port) || { echo "clients_check: no free port"; exit 1; }
ups="ups@127.0.0.1:$port"

sim_pid= upsmon_pid= mon_dir=
cleanup() {
  if [ -n "$upsmon_pid" ]; then
    touch "$mon_dir/release"  # its shutdown command returns, and it ends by itself
    eventually 10 bash -c "! kill -0 $upsmon_pid" || kill "$upsmon_pid" 2>/dev/null
    wait "$upsmon_pid" 2>/dev/null
  fi
  [ -n "$mon_dir" ] && rm -rf "$mon_dir"
  run orvik_ups.exe /uninstall >/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  if [ $manage_prefix -eq 1 ]; then tools/wine/prefix.sh down "$WINEPREFIX"; fi
}
trap cleanup EXIT

echo "== the simulated UPS on COM1; the service's network server on 127.0.0.1 and ::1, port $port"
run orvik_ups.exe /uninstall >/dev/null
control=$files/ups_control
: >"$control"
"$upssim" --link "$ORVIK_COM1_LINK" --scenario tools/demo/mains.txt --control "$control" \
  --record "$files/ups_received.bin" --state "$files/ups_state" --log "$files/ups.log" >"$files/upssim.out" 2>&1 &
sim_pid=$!
eventually 5 grep -q '^upssim: ready' "$files/upssim.out"
say() { echo "$1" >>"$control"; }

config='HKLM\SYSTEM\CurrentControlSet\Services\UPS\Config'
set_dword() { "$WINE" reg add "$config" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
"$WINE" reg add "$config" /v DebugTraceFile /t REG_SZ /d "$(to_windows "$files/trace.txt")" /f >/dev/null 2>&1
"$WINE" reg add "$config" /v stat_path /t REG_SZ /d "$(to_windows "$files/stats")" /f >/dev/null 2>&1
mkdir -p "$files/stats"
set_dword stat_on 1
set_dword PowerActionTestMode 1
set_dword CriticalPowerAction 0
set_dword ShutdownOnCapBatteryEnable 1
set_dword ShutdownOnCapBatteryWait 40
set_dword WaitBAEnable 1
set_dword WaitBAWait 12

echo "== orvik_ups /network switches"
network_ok() { run orvik_ups.exe "$@" >>"$files/switches.out"; }
check "/network:on" network_ok /network:on
check "/network:listen two lines" network_ok /network:listen "127.0.0.1 $port" "::1 $port"
check "/network:hostsync 8" network_ok /network:hostsync 8
check "/network:user mon (secondary)" network_ok /network:user mon /password:pw2 /upsmon:secondary
check "/network:user tester (the quick test only)" \
  network_ok /network:user tester /password:t3st /instcmds:test.battery.start.quick
refused() { run orvik_ups.exe "$@" >/dev/null 2>>"$files/switches.err"; [ $? -eq 1 ]; }
check "a listen line by name is refused (exit code 1)" refused /network:listen "localhost $port"
run orvik_ups.exe /network >"$files/network.txt"
check "/network lists the users" grep -qx "User tester upsmon=none actions= instcmds=test.battery.start.quick" \
  "$files/network.txt"
check "/network shows no password" bash -c "! grep -q -e pw2 -e t3st '$files/network.txt'"

echo "== orvik_ups /install /vendor:Orvik /model:\"Varnelo 600\" /port:COM1 (unattended)"
check "installed, the service runs" run orvik_ups.exe /install /vendor:Orvik "/model:Varnelo 600" /port:COM1
check "the server answers" eventually 20 "$upsc" -l "127.0.0.1:$port"

echo "== upsc, upscmd"
"$upsc" "$ups" >"$files/upsc.txt" 2>&1
check "upsc lists the UPS" bash -c "[ \"\$('$upsc' -l 127.0.0.1:$port)\" = ups ]"
check "upsc: OL" grep -qx "ups.status: OL" "$files/upsc.txt"
check "upsc: device.mfr Orvik" grep -qx "device.mfr: Orvik" "$files/upsc.txt"
check "upsc: device.model Varnelo 600" grep -qx "device.model: Varnelo 600" "$files/upsc.txt"
check "upsc: battery.charge.low 40" grep -qx "battery.charge.low: 40" "$files/upsc.txt"
check "upsc over IPv6" bash -c "'$upsc' 'ups@[::1]:$port' ups.status | grep -qx OL"
status_is() { [ "$("$upsc" "$ups" ups.status 2>/dev/null)" = "$1" ]; }
check "upscmd: the permitted user starts a quick test" \
  "$upscmd" -u tester -p t3st "$ups" test.battery.start.quick
check "the UPS received T" eventually 10 bash -c "[ \"\$(tr '\r' '\n' <'$files/ups_received.bin' | grep -cx T)\" -ge 1 ]"
check "upscmd: refused for a user without that command" \
  bash -c "'$upscmd' -u mon -p pw2 '$ups' test.battery.start.quick 2>&1 | grep -q ACCESS-DENIED"
check "the UPS received no second T" bash -c "[ \"\$(tr '\r' '\n' <'$files/ups_received.bin' | grep -cx T)\" -eq 1 ]"
check "the test ends: OL again" eventually 30 status_is OL

echo "== a real upsmon as a secondary, its shutdown command never returning"
mon_dir=$(mktemp -d /tmp/orvik-upsmon.XXXXXX)
chmod 777 "$mon_dir"
cat >"$mon_dir/upsmon.conf" <<EOF
MONITOR $ups 1 mon pw2 secondary
MINSUPPLIES 1
SHUTDOWNCMD "/bin/sh -c 'touch $mon_dir/shutdown-ran; until [ -f $mon_dir/release ]; do sleep 0.2; done'"
POLLFREQ 1
POLLFREQALERT 1
DEADTIME 15
FINALDELAY 0
HOSTSYNC 15
POWERDOWNFLAG $mon_dir/killpower
EOF
as_nobody=()
[ "$(id -u)" -eq 0 ] && as_nobody=(/usr/bin/setpriv --reuid=nobody --regid=nogroup --clear-groups)
NUT_CONFPATH=$mon_dir NUT_STATEPATH=$mon_dir NUT_ALTPIDPATH=$mon_dir "${as_nobody[@]}" "$upsmon" -D -p \
  >"$files/upsmon.log" 2>&1 &
upsmon_pid=$!
check "upsmon logged in (upsc -c names it)" eventually 20 bash -c "'$upsc' -c '$ups' | grep -qx 127.0.0.1"

echo "== the story: mains off, the cable pulled and back, the battery at the threshold"
say "mains off"
check "upsc: OB" eventually 10 status_is OB
say "silence on"
check "upsc: stale data with the cable pulled" \
  eventually 10 bash -c "'$upsc' '$ups' ups.status 2>&1 | grep -q 'Data stale'"
say "silence off"
check "upsc: OB again with the cable back" eventually 10 status_is OB
say "battery 11.3"
check "upsc: OB LB at the capacity threshold" eventually 10 status_is "OB LB"
steady=1
for _ in $(seq 8); do
  sleep 0.5
  [ "$("$upsc" "$ups" ups.status 2>/dev/null)" = "OB LB" ] || steady=0
done
check "upsc: OB LB steady for four seconds (the threshold fires every other cycle)" [ $steady -eq 1 ]

echo "== the critical point: FSD for the other computer, the wait at most HostSync (8 s)"
check "upsc: FSD OB LB" eventually 20 status_is "FSD OB LB"
check "upsmon ran its shutdown command" eventually 20 test -f "$mon_dir/shutdown-ran"
events_file() { find "$files/stats" -name '*_log.dat' | head -n 1; }
events() { iconv -f CP1251 -t UTF-8 "$(events_file)" 2>/dev/null; }
has_event() { events | grep -q "|$1|$2"; }
check "event 30: the critical action, rehearsed" eventually 60 has_event 30 "Проверочный режим: выключение"
events >"$files/events.txt"
check "event 42: one told, none gone, after HostSync" \
  grep -q "|42|Ожидание других компьютеров: оповещено 1, отключилось 0, за 8\." "$files/events.txt"
line_of() { grep -n "|$1|" "$files/events.txt" | tail -n 1 | cut -d: -f1; }
check "event 14 comes after the wait" [ "$(line_of 42)" -lt "$(line_of 14)" ]
check "event 15" grep -q "|15|Сбой питания. Действие выключение" "$files/events.txt"
check "upsmon was still logged in when the service acted" kill -0 "$upsmon_pid"
check "the server is gone with the monitoring" eventually 20 bash -c "! '$upsc' -l 127.0.0.1:$port"

echo "clients_check: $passed passed, $failed failed (files in $files)"
[ $failed -eq 0 ]
