#!/usr/bin/env bash
# two_computers_check.sh: two computers on one UPS, both running this system, each in a Wine prefix
# of its own (its own wineserver and X display), on this one machine:
#   the server  the installed service on the simulated UPS at its COM1, sharing it on 127.0.0.1 at
#               a port chosen for the run, with the user "peer" (upsmon secondary);
#   the peer    the installed service following it over the network as "NUT:ups@127.0.0.1:PORT",
#               logged in as "peer".
# Both rehearse their critical action (test mode). The story: mains off at the simulated UPS; the
# battery drains to the server's capacity threshold; the server shows the peer FSD and waits for it;
# the peer rehearses its shutdown and logs out; then the server rehearses its own.
# The checks, from the two event files and debug traces:
#   1. the peer logged in before the failure (the server counted it: GET NUMLOGINS 1) and the
#      server's event 42 says it told one computer and that one had gone when the wait ended;
#   2. in the server's file the wait (42) comes before its critical point (14), its UPS turn-off
#      order (07) and its rehearsal (30);
#      in the peer's file its rehearsal (30) comes before its note that the server was told (47);
#   3. across the two files, by their time stamps: the peer's rehearsal no later than the server's
#      wait ended, and that no later than the server's rehearsal. Both prefixes run on this
#      machine's one clock and time zone, so the stamps compare directly; they have whole seconds,
#      so within one second the order is the one the files and traces show (the server's trace
#      says the client had gone before its own rehearsal, the peer's that it logged out after its
#      own).
# The peer's prefix is made once beside the server's (PREFIX-peer) and reused; both prefixes are
# down at the end, apart from a server prefix handed in with --prefix (ctest's, left up).
# Exit code 0 when every check passed, 1 otherwise.
#
#   tools/nut/two_computers_check.sh [--prefix DIR]   DIR: the server's prefix, existing, left up
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$PWD
upssim=${ORVIK_UPSSIM:-$root/build/native/tools/upssim/upssim}
bin=${ORVIK_BIN_DIR:-$root/build/win64/bin}
server_prefix=
case ${1:-} in
  --prefix) server_prefix=${2:?--prefix DIR} ;;
  '') ;;
  *) sed -n '2,28p' "$0" >&2; exit 2 ;;
esac

work=$root/build/two-computers
manage_server_prefix=0
[ -n "$server_prefix" ] || { server_prefix=$work/wineprefix; manage_server_prefix=1; }
peer_prefix=$server_prefix-peer
files=$work/files
rm -rf "$files"
mkdir -p "$files/server/stats" "$files/peer/stats"
export WINEPREFIX=$server_prefix
source tools/wine/env.sh
source tools/checks.sh

# on PREFIX COMMAND...: a command in one computer's prefix, with that prefix's X display.
on() {
  local prefix=$1
  shift
  WINEPREFIX=$prefix DISPLAY=$(cut -d' ' -f1 "$prefix.display") "$@"
}
run_on() {  # run_on PREFIX PROGRAM ARGS...: a Windows program of the build in that prefix
  local prefix=$1
  shift
  (cd "$bin" && on "$prefix" "$WINE" "$@" 2>>"$files/wine.log")
}
to_windows() { echo "Z:${1//\//\\}"; }

sim_pid=
cleanup() {
  run_on "$peer_prefix" orvik_ups.exe /uninstall >/dev/null
  run_on "$server_prefix" orvik_ups.exe /uninstall >/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  tools/wine/prefix.sh down "$peer_prefix"
  if [ $manage_server_prefix -eq 1 ]; then tools/wine/prefix.sh down "$server_prefix"; fi
}

prefix_up() {  # prefix_up PREFIX: up, made first when missing (its time printed)
  local start=$SECONDS
  if ! tools/wine/prefix.sh up "$1" >"$files/prefix-${1##*/}.log" 2>&1; then
    echo "two_computers_check: the Wine prefix $1 did not come up:"
    cat "$files/prefix-${1##*/}.log"
    exit 1
  fi
  echo "   $1 up in $((SECONDS - start)) s"
}
echo "== the two computers' Wine prefixes"
trap cleanup EXIT
prefix_up "$server_prefix"
prefix_up "$peer_prefix"

port=$(free_port) || { echo "two_computers_check: no free port"; exit 1; }
run_on "$peer_prefix" orvik_ups.exe /uninstall >/dev/null
run_on "$server_prefix" orvik_ups.exe /uninstall >/dev/null

echo "== the simulated UPS on the server's COM1 (battery physics 10 times faster)"
control=$files/ups_control
: >"$control"
"$upssim" --link "$ORVIK_COM1_LINK" --scenario tools/demo/mains.txt --speed 10 --control "$control" \
  --record "$files/ups_received.bin" --log "$files/ups.log" >"$files/upssim.out" 2>&1 &
sim_pid=$!
eventually 5 grep -q '^upssim: ready' "$files/upssim.out" ||
  { echo "two_computers_check: the UPS simulator did not start:"; cat "$files/upssim.out"; exit 1; }

# configure PREFIX NAME DWORD-SETTINGS...: what both computers share (test mode, the trace, the
# archive), then that computer's own "Name=value" settings.
configure() {
  local prefix=$1 name=$2
  shift 2
  local key='HKLM\SYSTEM\CurrentControlSet\Services\UPS\Config'
  reg_add() { on "$prefix" "$WINE" reg add "$key" "$@" /f >/dev/null 2>&1; }
  reg_add /v DebugTraceFile /t REG_SZ /d "$(to_windows "$files/$name/trace.txt")"
  reg_add /v stat_path /t REG_SZ /d "$(to_windows "$files/$name/stats")"
  local setting
  for setting in stat_on=1 PowerActionTestMode=1 CriticalPowerAction=0 TurnUPSOffEnable=1 TurnUPSOffWait=180 "$@"; do
    reg_add /v "${setting%%=*}" /t REG_DWORD /d "${setting#*=}"
  done
}
network() { run_on "$server_prefix" orvik_ups.exe "$@" >>"$files/network_switches.out"; }
share_the_ups() {
  network /network:on && network /network:listen "127.0.0.1 $port" && network /network:hostsync 15 &&
    network /network:user peer /password:peer-pw /upsmon:secondary
}
numlogins() {  # numlogins N: the server counts N computers logged in (asked as a NUT client would)
  (
    exec 3<>"/dev/tcp/127.0.0.1/$port" || exit 1
    printf 'GET NUMLOGINS ups\n' >&3
    read -r -t 5 answer <&3
    [ "${answer%$'\r'}" = "NUMLOGINS ups $1" ]
  )
}

echo "== the server: COM1, the capacity threshold 40 %, sharing the UPS on 127.0.0.1:$port, HostSync 15 s"
configure "$server_prefix" server ShutdownOnCapBatteryEnable=1 ShutdownOnCapBatteryWait=40
check "orvik_ups /network switches: on, listen, hostsync, user peer (secondary)" share_the_ups
check "the server installed unattended on COM1" \
  run_on "$server_prefix" orvik_ups.exe /install /vendor:Orvik "/model:Varnelo 600" /port:COM1
check "the server answers on 127.0.0.1:$port, nobody logged in" eventually 20 numlogins 0

echo "== the peer: following ups@127.0.0.1:$port as the user peer, no threshold of its own"
configure "$peer_prefix" peer ShutdownOnCapBatteryEnable=0
check "the peer installed unattended on NUT:ups@127.0.0.1:$port" \
  run_on "$peer_prefix" orvik_ups.exe /install /vendor:Orvik "/model:Varnelo 600" \
  "/port:NUT:ups@127.0.0.1:$port" /user:peer /password:peer-pw
check "the peer logged in at the server (GET NUMLOGINS: 1)" eventually 30 numlogins 1

# The day files of a computer's archive (root\Y\M\D_log.dat) as "Y-M-D HH:MM:SS|code|text" lines.
events_of() {
  local day
  find "$files/$1/stats" -name '*_log.dat' | sort | while read -r day; do
    local date
    date=$(sed -E 's|.*/([0-9]+)/([0-9]+)/([0-9]+)_log\.dat$|\1-\2-\3|' <<<"$day")
    iconv -f CP1251 -t UTF-8 "$day" | sed "/^$/d; s/^/$date /"
  done
}
has_event() { events_of "$1" | grep -q "|$2|$3"; }

echo "== the story: mains off; the battery drains to the server's threshold"
echo "mains off" >>"$control"
check "server: event 05, on battery" eventually 20 has_event server 05 "Сбой в питании, переход на батарею"
check "server: event 30, its shutdown rehearsed" eventually 150 has_event server 30 "Проверочный режим: выключение"
check "peer: event 30, its shutdown rehearsed" eventually 10 has_event peer 30 "Проверочный режим: выключение"
events_of server >"$files/server/events.txt"
events_of peer >"$files/peer/events.txt"

line_of() {  # line_of COMPUTER CODE [TEXT]: the line number of the event's last line in its file
  grep -n "|$2|${3:-}" "$files/$1/events.txt" | tail -n 1 | cut -d: -f1
}
at() {  # at COMPUTER CODE [TEXT]: the event's time, seconds since the epoch
  local line
  line=$(grep "|$2|${3:-}" "$files/$1/events.txt" | tail -n 1)
  [ -n "$line" ] && date -d "${line%%|*}" +%s
}
before() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" -lt "$2" ]; }
not_after() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" -le "$2" ]; }

echo "== the order: the peer went first, the server waited for it"
check "server: event 42, one computer told and gone" \
  grep -q "|42|Ожидание других компьютеров: оповещено 1, отключилось 1, за " "$files/server/events.txt"
check "server: event 14, its critical point" grep -q "|14|Сбой питания. Действие." "$files/server/events.txt"
check "server: the wait (42) before its critical point (14)" before "$(line_of server 42)" "$(line_of server 14)"
check "server: its critical point (14) before its rehearsal (30)" before "$(line_of server 14)" "$(line_of server 30)"
check "peer: event 14, its critical point" grep -q "|14|Сбой питания. Действие." "$files/peer/events.txt"
check "peer: event 47, the server told, after its rehearsal (30)" \
  before "$(line_of peer 30)" "$(line_of peer 47 "Сервер ИБП ups@127.0.0.1:$port извещён о выключении")"
check "peer's rehearsal no later than the server's wait ended (time stamps)" \
  not_after "$(at peer 30)" "$(at server 42)"
check "server's wait ended no later than its rehearsal (time stamps)" not_after "$(at server 42)" "$(at server 30)"
trace_order() {  # trace_order FILE FIRST THEN: FIRST's first line comes before THEN's
  local first second
  first=$(grep -an -F -- "$2" "$1" | head -n 1 | cut -d: -f1)
  second=$(grep -an -F -- "$3" "$1" | head -n 1 | cut -d: -f1)
  before "$first" "$second"
}
check "peer's trace: the rehearsed shutdown, then the logout" trace_order "$files/peer/trace.txt" \
  "UPS::test mode: ExitWindowsEx(" "UPS::NUT ups@127.0.0.1:$port: logged out"
check "server's trace: the client gone, then its own rehearsed shutdown" trace_order "$files/server/trace.txt" \
  "UPS::NUT clients told 1, gone 1" "UPS::test mode: ExitWindowsEx("
check "server: the UPS turn-off (07) ordered only after the wait (42)" \
  before "$(line_of server 42)" "$(line_of server 07 "Активирую выключение ИБП")"
check "the UPS received one turn-off, the server's (the peer's never goes over the network)" \
  test "$(tr '\r' '\n' <"$files/ups_received.bin" | grep -c '^S')" -eq 1

echo "== the event lines"
for computer in server peer; do
  echo "   $computer:"
  sed 's/^/     /' "$files/$computer/events.txt"
done
echo "two_computers_check: $passed passed, $failed failed (files in $files)"
[ $failed -eq 0 ]
