#!/usr/bin/env bash
# demo.sh: the system protecting a computer through a power failure, under Wine, against the UPS
# simulator. Installs what is missing, builds, makes a private Wine prefix, starts the simulated UPS
# on COM1, installs the system as an administrator would (orvik_ups /install, the setup dialog
# answered: Orvik, "Varnelo 600", COM1) and plays a scenario while printing a line a second. At the
# end it prints the day's event lines, the entries the service reported to the Windows Event Log,
# the day's totals and where the files are.
#
#   tools/demo.sh [--scenario NAME] [--keep-running]
#   tools/demo.sh --stop                       ends a demo left running
#
# Scenarios:
#   power-failure  (default) mains fails; the battery drains to the capacity threshold (40 %); the
#                  critical action: UPS turn-off ordered, monitoring stopped, the shutdown rehearsed
#   ups-lowbat     mains fails; the UPS itself reports its battery low; the same critical action
#   cable-pulled   the serial cable is pulled for a while on mains, then plugged in again
#   battery-test   the tray asks for a one-minute battery test (six seconds at the simulator's speed)
#   nut-client     the UPS hangs on another computer: NUT's own upsd serves it natively (NUT's Q1
#                  driver reads the simulator, tools/wine/nut_server.sh) and this computer follows it
#                  over the network as a secondary (port "Сеть (NUT)", 127.0.0.1); mains fails, the
#                  server's battery charge reaches the capacity threshold (40 %); the shutdown is
#                  rehearsed, then the server is told (LOGOUT, in upsd's own log); the UPS turn-off
#                  is never sent over the network
#   network        another computer on the same UPS: the service shares it as a NUT server, a real
#                  upsmon on this Linux machine follows it as a secondary; at the critical point the
#                  server shows FSD, the other computer runs its shutdown command and logs out, and
#                  only then comes the service's own (rehearsed) critical action
# Power actions run in test mode: the shutdown is written down (event 30), never done.
#
# For the acceptance suite: --no-build (use the existing builds), --prefix DIR (an existing prefix,
# left up afterwards), --check (exit 1 unless the scenario's story is in the files).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
demo=$root/build/demo
# The acceptance suite names the builds it tests.
upssim=${ORVIK_UPSSIM:-$root/build/native/tools/upssim/upssim}
bin=${ORVIK_BIN_DIR:-$root/build/win64/bin}

scenario=power-failure
keep_running=0
build=1
check=0
prefix=
while [ $# -gt 0 ]; do
  case $1 in
    --scenario) scenario=$2; shift 2 ;;
    --keep-running) keep_running=1; shift ;;
    --no-build) build=0; shift ;;
    --prefix) prefix=$2; shift 2 ;;
    --check) check=1; shift ;;
    --stop) exec "$root/tools/demo/stop.sh" "$demo" ;;
    *) sed -n '2,25p' "$0" >&2; exit 2 ;;
  esac
done
case $scenario in
  power-failure|ups-lowbat|cable-pulled|battery-test|nut-client|network) ;;
  *) echo "demo.sh: unknown scenario $scenario" >&2; exit 2 ;;
esac

if [ $build -eq 1 ]; then
  tools/setup.sh
  echo "== building (the first build takes a few minutes)"
  # The target "demo" is every program the demo runs (tools/CMakeLists.txt names them).
  tools/build.sh native demo || exit 1
  tools/build.sh win64 demo || exit 1
fi

manage_prefix=0
[ -n "$prefix" ] || { prefix=$demo/wineprefix; manage_prefix=1; }
export WINEPREFIX=$prefix
source tools/wine/env.sh
echo "== Wine prefix $WINEPREFIX"
mkdir -p "$demo"
tools/wine/prefix.sh up "$WINEPREFIX" >"$demo/prefix.log" 2>&1 || { cat "$demo/prefix.log" >&2; exit 1; }
export DISPLAY
DISPLAY=$(cut -d' ' -f1 "$WINEPREFIX.display")
# Programs started from here run in a virtual desktop of their own, with a taskbar whose
# notification area shows the tray icon, as a logged-on user would see it.
explorer_key='HKCU\Software\Wine\Explorer'
"$WINE" reg add "$explorer_key\Desktops" /v orvik_demo /d 1024x700 /f >/dev/null
"$WINE" reg add "$explorer_key" /v Desktop /d orvik_demo /f >/dev/null

files=$demo/files/$scenario
rm -rf "$files"
mkdir -p "$files/stats" "$files/pictures"
to_windows() { echo "Z:${1//\//\\}"; }
run() { (cd "$bin" && "$WINE" "$@"); }

sim_pid=
nut_dir=
story_pid=
upsmon_pid=
cleanup() {
  if [ -n "$story_pid" ]; then kill "$story_pid" 2>/dev/null || true; fi
  if [ -n "$upsmon_pid" ]; then kill "$upsmon_pid" 2>/dev/null || true; wait "$upsmon_pid" 2>/dev/null || true; fi
  if [ $keep_running -eq 1 ]; then return; fi
  echo "== removing the system (orvik_ups /uninstall)"
  run orvik_ups.exe /uninstall || true
  "$WINE" reg delete "$explorer_key" /v Desktop /f >/dev/null 2>&1 || true
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  if [ -n "$nut_dir" ]; then tools/wine/nut_server.sh down "$nut_dir"; fi
  if [ $manage_prefix -eq 1 ]; then tools/wine/prefix.sh down "$WINEPREFIX"; fi
}
trap cleanup EXIT

# A demo left running earlier holds COM1 and the service.
tools/demo/stop.sh "$demo" --keep-prefix >/dev/null 2>&1 || true
run orvik_ups.exe /uninstall

received=$files/ups_received.bin
if [ "$scenario" = nut-client ]; then
  echo "== the simulated UPS served by NUT's own upsd on 127.0.0.1 (battery physics 10 times faster)"
  nut_dir=$files/nut
  ORVIK_UPSSIM=$upssim tools/wine/nut_server.sh up "$nut_dir" --speed 10 --scenario tools/demo/mains.txt \
    >"$files/nut_server.env" || { echo "demo.sh: NUT's server did not start" >&2; exit 1; }
  nut_port=$(sed -n 's/^ORVIK_NUT_PORT=//p' "$files/nut_server.env")
  control=$nut_dir/ups_control
  received=$nut_dir/ups_received
  echo "   upsd on port $nut_port, its log $nut_dir/upsd.log; users orvik (secondary) and admin (primary)"
else
  echo "== the simulated UPS on COM1 (battery physics 10 times faster than real time)"
  control=$files/ups_control
  : >"$control"
  "$upssim" --link "$ORVIK_COM1_LINK" --scenario tools/demo/mains.txt --speed 10 \
    --control "$control" --record "$received" --log "$files/ups.log" >"$files/upssim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do grep -q '^upssim: ready' "$files/upssim.out" 2>/dev/null && break; sleep 0.05; done
fi

echo "== settings that no page shows (reg.exe): the debug trace file and power actions in test mode"
config_key='HKLM\SYSTEM\CurrentControlSet\Services\UPS\Config'
"$WINE" reg add "$config_key" /v DebugTraceFile /t REG_SZ /d "$(to_windows "$files/trace.txt")" /f >/dev/null
"$WINE" reg add "$config_key" /v PowerActionTestMode /t REG_DWORD /d 1 /f >/dev/null
echo "   DebugTraceFile $(to_windows "$files/trace.txt"), PowerActionTestMode 1"

if [ "$scenario" = network ]; then
  source tools/checks.sh
  nut_port=$(free_port) || { echo "demo.sh: no free port" >&2; exit 1; }
  echo "== sharing the UPS with another computer: orvik_ups /network switches (127.0.0.1, port $nut_port)"
  for switch in "/network:on" "/network:listen|127.0.0.1 $nut_port" "/network:user|nas|/password:nas-secret|/upsmon:secondary"; do
    IFS='|' read -r -a words <<<"$switch"
    echo "   orvik_ups ${words[*]}"
    run orvik_ups.exe "${words[@]}" >>"$files/network_switches.out" 2>&1 ||
      { echo "demo.sh: orvik_ups ${words[*]} failed:" >&2; cat "$files/network_switches.out" >&2; exit 1; }
  done
fi

if [ "$scenario" = nut-client ]; then
  port_answer=(--server "127.0.0.1:$nut_port" --ups ups --user orvik --password orvik-pw)
  echo "== installing: orvik_ups /install; the setup dialog answered: Orvik, Varnelo 600, Сеть (NUT) with"
  echo "   server 127.0.0.1:$nut_port, UPS ups, user orvik, tray on"
else
  port_answer=(--port COM1)
  echo "== installing: orvik_ups /install; the setup dialog answered: Orvik, Varnelo 600, COM1, tray on"
fi
run setup_answer.exe --vendor Orvik --model "Varnelo 600" "${port_answer[@]}" --ui on --press ok --timeout-s 60 \
  >"$files/setup_answer.out" 2>&1 &
answer_pid=$!
run orvik_ups.exe /install
wait $answer_pid || { echo "demo.sh: the setup dialog was not answered:" >&2; cat "$files/setup_answer.out" >&2; exit 1; }
sed 's/^/   /' "$files/setup_answer.out"

echo "== the administrator's settings, made on the tray's settings sheet (tools/sheet_driver)"
capacity=$(case $scenario in power-failure|nut-client|network) echo 1 ;; *) echo 0 ;; esac)
# The UPS's own low-battery story shows the status in the sliding notifier, the others in a balloon.
notifier=$([ "$scenario" = ups-lowbat ] && echo 1 || echo 0)
echo "   Общие: action \"Выключить питание\", UPS turn-off on failure after 180 s, UPS back on 1 min after mains"
echo "          returns, capacity threshold 40 % $([ "$capacity" = 1 ] && echo on || echo off)"
echo "   Tray: alternative notification (the notifier) $([ "$notifier" = 1 ] && echo on || echo off)"
echo "   Статистика: on, raw data kept, archive in $(to_windows "$files/stats")"
run sheet_driver.exe --page 1 --set 1009=0 --set 1011=1 --set 1010=180 --set 1064=1 --set 1060=1 \
  --set 1018="$capacity" --set 1008=40 --page 2 --set 1064="$notifier" \
  --page 3 --set 1039=1 --set 1042=1 --set 1040="$(to_windows "$files/stats")" --ok >"$files/sheet_driver.out" 2>&1 ||
  { echo "demo.sh: the settings sheet could not be worked:" >&2; cat "$files/sheet_driver.out" >&2; exit 1; }
echo "== the service restarts to take the settings it reads only at its start (net stop/start UPS)"
run net stop UPS >"$files/net.out" 2>&1 || true
# Wine's service manager refuses a start ("already running") until the stopped service's process
# has ended: try again for a few seconds.
restarted=0
for _ in $(seq 10); do
  if run net start UPS >>"$files/net.out" 2>&1; then restarted=1; break; fi
  sleep 1
done
[ $restarted -eq 1 ] || { echo "demo.sh: the service did not start again:" >&2; cat "$files/net.out" >&2; exit 1; }

critical_command=(cmd /c echo event %UPS_EVENT%, UPS %UPS_STATE%: here a script would shut the NAS down)
echo "== the administrator's command at the critical point: orvik_ups /event:14 ${critical_command[*]}"
run orvik_ups.exe /event:14 "${critical_command[@]}"
# Wine keeps no Event Log, but traces what the service reports to it (tools/wine/prefix.sh).
services_log=$WINEPREFIX.services.log
log_mark=$(stat -c %s "$services_log" 2>/dev/null || echo 0)

if [ "$scenario" = network ]; then
  other=$files/other-computer
  mkdir -p "$other"
  chmod 777 "$other"
  cat >"$other/upsmon.conf" <<CONF
MONITOR ups@127.0.0.1:$nut_port 1 nas nas-secret secondary
MINSUPPLIES 1
SHUTDOWNCMD "/bin/touch $other/shutdown-ran"
POLLFREQ 1
POLLFREQALERT 1
DEADTIME 15
FINALDELAY 0
HOSTSYNC 15
POWERDOWNFLAG $other/killpower
CONF
  echo "== the other computer: NUT's upsmon as a secondary (its shutdown command writes $other/shutdown-ran)"
  as_nobody=()
  [ "$(id -u)" -eq 0 ] && as_nobody=(/usr/bin/setpriv --reuid=nobody --regid=nogroup --clear-groups)
  NUT_CONFPATH=$other NUT_STATEPATH=$other NUT_ALTPIDPATH=$other "${as_nobody[@]}" /lib/nut/upsmon -D -p \
    >"$other/upsmon.log" 2>&1 &
  upsmon_pid=$!
  logged_in=0
  for _ in $(seq 100); do
    if upsc -c "ups@127.0.0.1:$nut_port" 2>/dev/null | grep -qx 127.0.0.1; then logged_in=1; break; fi
    sleep 0.2
  done
  [ $logged_in -eq 1 ] || { echo "demo.sh: upsmon did not log in:" >&2; cat "$other/upsmon.log" >&2; exit 1; }
  echo "   logged in: upsc -c ups@127.0.0.1:$nut_port names 127.0.0.1"
fi

# The story, told to the simulated UPS while the watcher prints what the system sees and does.
say() { echo "$1" >>"$control"; }
story() {
  sleep 6
  case $scenario in
    power-failure|nut-client|network) say "mains off" ;;
    ups-lowbat) say "mains off"; sleep 12; say "lowbat on" ;;
    cable-pulled) say "silence on"; sleep 12; say "silence off" ;;
    battery-test) ;;
  esac
}
watch_args=(--stats "$(to_windows "$files/stats")" --pictures "$(to_windows "$files/pictures")")
case $scenario in
  power-failure|ups-lowbat|nut-client) watch_args+=(--until 30 --limit 170) ;;
  network) watch_args+=(--until 30 --limit 170 --nut "$nut_port" --other-shutdown "$(to_windows "$other/shutdown-ran")") ;;
  cable-pulled) watch_args+=(--until 3 --limit 60) ;;
  battery-test) watch_args+=(--battery-test-at 5 --limit 25) ;;
esac
echo "== the scenario $scenario: one line a second; '>' marks what the system just did"
story &
story_pid=$!
watched=0
run demo_watch.exe "${watch_args[@]}" | tee "$files/watch.txt" || watched=$?

events=$(find "$files/stats" -name '*_log.dat' | sort | tail -n 1)
echo
echo "== today's event lines (stored in Windows-1251)"
[ -n "$events" ] && iconv -f CP1251 -t UTF-8 "$events" | tee "$files/events.txt"
echo
echo "== what the service reported to the Windows Event Log (kind, event ID, text)"
tools/wine/event_log_entries.sh "$services_log" "$log_mark" | tee "$files/event_log.txt" | sed 's/^/   /'
echo "== what the command at the critical point wrote (the debug trace)"
grep -a '^UPS::event 14 command' "$files/trace.txt" | sed 's/^/   /' || true
echo
if [ "$scenario" = network ]; then
  echo "== the other computer: what its upsmon said"
  grep -e 'UPS ups@' -e 'shutdown' "$other/upsmon.log" | sed 's/^ */   /'
  echo
fi
echo "== what the UPS received, in order (repeats counted)"
tr '\r' '\n' <"$received" | uniq -c
if [ -n "$nut_dir" ]; then
  cp "$received" "$files/ups_received.bin"
  echo
  echo "== upsd's own log: this computer's login as a secondary and its logout after the action"
  grep -E 'logged (into|out from)|FSD' "$nut_dir/upsd.log" | tee "$files/upsd_logins.txt"
fi
echo
for picture in "$files"/pictures/*.bmp; do
  [ -f "$picture" ] && convert "$picture" "${picture%.bmp}.png" && rm "$picture"
done
echo "== files"
echo "   statistics archive   $files/stats"
echo "   debug trace          $files/trace.txt"
echo "   simulator log        ${nut_dir:-$files}/ups.log"
[ -n "$nut_dir" ] && echo "   upsd's log           $nut_dir/upsd.log"
echo "   desktop pictures     $files/pictures ($(ls "$files/pictures" | tr '\n' ' '))"

if [ $keep_running -eq 1 ]; then
  # The watcher closed the tray to use the pipe; the user gets it back as at logon.
  (cd "$bin" && "$WINE" orvik_ups.exe /gui >/dev/null 2>&1 &)
  echo "$sim_pid" >"$demo/simulator.pid"
  [ -n "$nut_dir" ] && echo "$nut_dir" >"$demo/nut_server"
  echo "$WINEPREFIX" >"$demo/prefix"
  echo "== the system keeps running; send the UPS commands with: echo 'mains off' >> $control"
  echo "   end it with: tools/demo.sh --stop"
fi

if [ $check -eq 1 ]; then
  tools/demo/check_story.sh "$scenario" "$files" || exit 1
fi
[ $watched -eq 0 ] || { echo "demo.sh: the story did not reach its end within the time limit" >&2; exit 1; }
