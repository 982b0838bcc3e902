#!/usr/bin/env bash
# package_check.sh: the installer that tools/package.sh made, under Wine, used as an administrator
# uses it unattended, against the UPS simulator on COM1:
#   1. a folder that ordinary users can write to is refused (exit code 3), and nothing is installed;
#   2. /S with vendor, model, port and tray: exit code 0, the service runs and polls the UPS, the
#      files are in Program Files, the Start menu entries, the installed-programs entry and the
#      Event Log's source exist; the Start menu's statistics entry opens the sheet in the tray;
#   3. the registry equals what `orvik_ups /install` writes when its setup dialog is answered the
#      same way (setup_answer);
#   4. an upgrade (the installer again, /S alone) keeps the Config key, the commands on events,
#      the port and the tray choice, and the restarted service writes into the statistics archive;
#   5. the network settings given to the installer (/NETWORK, /LISTEN, /NETUSER, ...) reach the
#      "Network" key before the service starts, which then serves on them (upsc); an upgrade keeps
#      them, and the key stays closed to others;
#   6. the silent uninstaller removes the service, files, entries and keys (the Event Log's source
#      among them), and keeps the archive, also when the tray is slow to leave (its process stood
#      still until well after the service stopped);
#   7. asked to remove the archive too (/ARCHIVE=1), it removes the archive's own files and nothing
#      through the links another user planted at a year and a month folder;
#   8. a program still in use (the viewer left open) is left for the restart, and the uninstaller
#      says so by its exit code 3010; the rest goes;
#   9. a UPS that another computer serves: a mistyped server address is refused (exit code 2)
#      before anything is installed; /PORT=NUT:... with /USER and /PASSWORD installs, the service
#      runs (without a link: no server answers here), the login is kept through a silent upgrade
#      and goes with the uninstallation;
#  10. a network setting the switches refuse ends the installation with exit code 6, and no
#      service is installed.
# This is the 64-bit installer (-x64.exe), the same script as the 32-bit one. About a minute.
#
#   tools/package_check.sh [--prefix DIR]     DIR: an existing prefix, left up (ctest's)
# Without --prefix the check makes its own prefix, build/package/wineprefix, and stops it after.
# ORVIK_UPSSIM, ORVIK_BIN_DIR (setup_answer.exe) and ORVIK_PACKAGE_DIR name other builds.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$SECONDS
out=${ORVIK_PACKAGE_DIR:-$root/build/package}
upssim=${ORVIK_UPSSIM:-$root/build/native/tools/upssim/upssim}
bin=${ORVIK_BIN_DIR:-$root/build/win64/bin}
prefix=
case ${1:-} in
  --prefix) prefix=${2:?--prefix DIR} ;;
  '') ;;
  *) sed -n '2,19p' "$0" >&2; exit 2 ;;
esac
version=$(sed -n 's/^project(orvik_ups VERSION \([0-9]*\.[0-9]*\.[0-9]*\) .*/\1/p' CMakeLists.txt)
installer=orvik-setup-$version-x64.exe
if [ ! -f "$out/$installer" ]; then
  echo "package_check: $out/$installer is missing: run tools/package.sh first"
  exit 77
fi

manage_prefix=0
[ -n "$prefix" ] || { prefix=$out/wineprefix; manage_prefix=1; }
export WINEPREFIX=$prefix
source tools/wine/env.sh
work=$out/check
rm -rf "$work"
mkdir -p "$work"
if [ $manage_prefix -eq 1 ]; then
  tools/wine/prefix.sh up "$WINEPREFIX" >"$work/prefix.log" 2>&1 || { cat "$work/prefix.log"; exit 1; }
fi
[ -f "$WINEPREFIX.display" ] || { echo "package_check: the prefix $WINEPREFIX is not up (tools/wine/prefix.sh up)"; exit 1; }
export DISPLAY
DISPLAY=$(cut -d' ' -f1 "$WINEPREFIX.display")

drive=$WINEPREFIX/drive_c
program_dir="$drive/Program Files/Orvik UPS"
menu_dir="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvik UPS"
service_key='HKLM\SYSTEM\CurrentControlSet\Services\UPS'
config_key="$service_key\\Config"
events_key="$service_key\\Events"
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\UPS'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvik UPS'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
archive='C:\orvik-check-stats'
cp "$out/$installer" "$drive/$installer"

source tools/checks.sh
wine_do() { "$WINE" "$@" 2>/dev/null; }
value() { wine_do reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
service_running() { wine_do sc query UPS | grep -q 'STATE.*RUNNING'; }
key_absent() { ! wine_do reg query "$1" >/dev/null; }
# A command line exactly as typed at a Windows prompt: Wine would escape the quotes of argv.
run_typed() {
  printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$1" >"$drive/orvik-check.cmd"
  (cd "$drive" && timeout 120 "$WINE" cmd /c 'C:\orvik-check.cmd' >>"$work/wine.log" 2>&1)
}
# The registry as an export, without the live values the running service keeps in "status".
export_setup() {
  wine_do reg export "$service_key" 'C:\orvik-check.reg' /y >/dev/null
  iconv -f UTF-16 -t UTF-8 "$drive/orvik-check.reg" | tr -d '\r' |
    awk '/^\[/ { skip = ($0 ~ /\\status\]$/) } !skip' >"$1"
  wine_do reg query "$run_key" /v UPS_UI | tr -d '\r' | grep UPS_UI >>"$1"
}
export_config() {
  wine_do reg export "$config_key" 'C:\orvik-check.reg' /y >/dev/null
  iconv -f UTF-16 -t UTF-8 "$drive/orvik-check.reg" >"$1"
}
polls() { tr '\r' '\n' <"$work/ups_received.bin" 2>/dev/null | grep -c '^Q1$'; }
polling() {
  local before
  before=$(polls)
  sleep 3
  [ "$(polls)" -gt "$before" ]
}
uninstall_silently() {  # the uninstaller copies itself away and returns at once: wait for its end
  wine_do "C:\\Program Files\\Orvik UPS\\uninstall.exe" /S
  for _ in $(seq 60); do
    if [ ! -d "$program_dir" ] && key_absent "$uninstall_key"; then return 0; fi
    sleep 0.5
  done
  return 1
}

# The Unix processes of this prefix whose Windows command line matches PATTERN: parallel runs in
# other prefixes run the same programs.
prefix_processes() {
  local pid
  for pid in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
service_stopped() { ! wine_do sc query UPS | grep -q 'STATE.*\(RUNNING\|PENDING\)'; }
# As on a loaded machine: the processes stand still from now until 4 s after the service stopped
# (on an idle machine a tray leaves within two). In the background.
stalled=
stall_until_after_stop() {
  stalled="$*"
  kill -STOP $stalled
  {
    for _ in $(seq 300); do service_stopped && break; sleep 0.1; done
    sleep 4
    kill -CONT $stalled
  } &
  stall_pid=$!
}
viewer_mapped() {  # the viewer's program file is in use once its process has mapped it
  local pid
  for pid in $(prefix_processes 'scopeview\.exe'); do
    grep -q 'Orvik UPS/scopeview\.exe$' "/proc/$pid/maps" && return 0
  done
  return 1
}

sim_pid=
viewer=
cleanup() {
  if [ -n "$stalled" ]; then kill -CONT $stalled 2>/dev/null; fi
  if [ -n "$viewer" ]; then wine_do taskkill /f /im scopeview.exe >/dev/null; fi
  if [ -f "$program_dir/uninstall.exe" ]; then uninstall_silently >/dev/null 2>&1; fi
  rm -rf "$drive/orvik-check-stats" "$drive/orvik-open" "$drive/orvik-outside" \
    "$drive/$installer" "$drive"/orvik-check.* "$drive/orvik-check-uninstall.exe"
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; fi
  if [ $manage_prefix -eq 1 ]; then tools/wine/prefix.sh down "$WINEPREFIX" >/dev/null 2>&1; fi
}
trap cleanup EXIT

# An installation a failed run left behind, a system other tests of a shared prefix installed
# without the installer, and settings they wrote with no service at all.
if [ -f "$program_dir/uninstall.exe" ]; then uninstall_silently; fi
if ! key_absent "$service_key"; then (cd "$bin" && wine_do orvik_ups.exe /uninstall >/dev/null); fi
if ! key_absent "$service_key"; then wine_do reg delete "$service_key" /f >/dev/null; fi
rm -rf "$drive/orvik-check-stats"

"$upssim" --link "$ORVIK_COM1_LINK" --scenario tools/wine/com1_steady.txt --record "$work/ups_received.bin" \
  --log "$work/ups.log" >"$work/upssim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^upssim: ready' "$work/upssim.out" 2>/dev/null && break; sleep 0.05; done

choice='/VENDOR=Orvik /MODEL="Varnelo 600" /PORT=COM1 /TRAY=1'

echo "== 1. a folder ordinary users can write to (under Wine: a folder whose Unix mode lets others write)"
mkdir -p "$drive/orvik-open"
chmod 0777 "$drive/orvik-open"
run_typed "$installer /S $choice /D=C:\\orvik-open\\Orvik UPS"
check "refused with exit code 3 (got $?)" test $? -eq 3
check "nothing installed there" test ! -e "$drive/orvik-open/Orvik UPS"
check "no service" key_absent "$service_key"

echo "== 2. unattended installation: $installer /S $choice"
run_typed "$installer /S $choice"
check "exit code 0 (got $?)" test $? -eq 0
check "the service UPS runs" service_running
check "it polls the UPS on COM1" polling
for file in orvik_ups.exe orvik_dll.dll scopeview.exe LICENSE.txt uninstall.exe; do
  check "C:\\Program Files\\Orvik UPS\\$file" test -f "$program_dir/$file"
done
check "the service runs the installed program" \
  test "$(value "$service_key" ImagePath)" = '"C:\Program Files\Orvik UPS\orvik_ups.exe"'
check "Start menu: settings, statistics, viewer, uninstall" test "$(ls "$menu_dir" | grep -c '\.lnk$')" -eq 4
check "installed-programs entry: name, version $version, publisher" test \
  "$(value "$uninstall_key" DisplayName)|$(value "$uninstall_key" DisplayVersion)|$(value "$uninstall_key" Publisher)" \
  = "Orvik UPS monitor|$version|Orvik"
check "installed-programs entry: quiet uninstall, location, no modify or repair" test \
  "$(value "$uninstall_key" QuietUninstallString)|$(value "$uninstall_key" InstallLocation)|$(value "$uninstall_key" NoModify)$(value "$uninstall_key" NoRepair)" \
  = '"C:\Program Files\Orvik UPS\uninstall.exe" /S|C:\Program Files\Orvik UPS|0x10x1'
check "installed-programs entry: estimated size" test -n "$(value "$uninstall_key" EstimatedSize)"
check "the Event Log's source names the installed library and program" test "$(value "$source_key" EventMessageFile)" \
  = 'C:\Program Files\Orvik UPS\orvik_dll.dll;C:\Program Files\Orvik UPS\orvik_ups.exe'
check "the choice: Orvik, Varnelo 600, COM1, tray at logon" test \
  "$(value "$config_key" Vendor)|$(value "$config_key" Model)|$(value "$service_key" Port)|$(value "$run_key" UPS_UI)" \
  = 'Orvik|Varnelo 600|COM1|"C:\Program Files\Orvik UPS\orvik_ups.exe" /gui'
export_setup "$work/unattended.txt"
# As the Start menu's statistics entry does: the tray started by the installer opens the sheet,
# which stays open through the upgrade below (the tray must still leave when asked).
wine_do "C:\\Program Files\\Orvik UPS\\orvik_ups.exe" /statistics
check "the statistics entry reached the tray (exit code $?)" test $? -eq 0

echo "== 3. the same choice made in the setup dialog (orvik_ups /install, answered by setup_answer)"
(cd "$bin" && "$WINE" setup_answer.exe --vendor Orvik --model "Varnelo 600" --port COM1 --ui on --press ok \
  --timeout-s 60 >"$work/setup_answer.out" 2>&1) &
answer_pid=$!
wine_do "C:\\Program Files\\Orvik UPS\\orvik_ups.exe" /install
wait $answer_pid
check "the dialog was answered" test $? -eq 0
check "the service runs" service_running
export_setup "$work/dialog.txt"
check "service key, Config, model lists and tray value equal the unattended installation's" \
  diff "$work/unattended.txt" "$work/dialog.txt"

echo "== 4. upgrade: $installer /S over the installed version"
setting() { wine_do reg add "$config_key" /v "$1" /t "$2" /d "$3" /f >/dev/null; }
setting stat_on REG_DWORD 1
setting stat_path REG_SZ "$archive"
setting TurnUPSOffWait REG_DWORD 77
setting PowerActionTestMode REG_DWORD 1
export_config "$work/config-before.reg"
run_typed '"C:\Program Files\Orvik UPS\orvik_ups.exe" /event:05 cmd /c echo "on battery"'
run_typed '"C:\Program Files\Orvik UPS\orvik_ups.exe" /eventwait:90'
run_typed "$installer /S"
check "exit code 0 (got $?)" test $? -eq 0
check "the service runs again" service_running
export_config "$work/config-after.reg"
check "the Config key is kept, every value" diff "$work/config-before.reg" "$work/config-after.reg"
check "the command on event 05 and the critical point's wait are kept" test \
  "$(value "$events_key" 05)|$(value "$events_key" CriticalCommandWait)" = 'cmd /c echo "on battery"|0x5a'
check "the port and the tray choice are kept" test \
  "$(value "$service_key" Port)|$(value "$run_key" UPS_UI)" = 'COM1|"C:\Program Files\Orvik UPS\orvik_ups.exe" /gui'
check "the restarted service writes the archive" test -n "$(find "$drive/orvik-check-stats" -name '*_log.dat')"

port=$(free_port)
network="/NETWORK=1 /LISTEN=\"127.0.0.1 $port;::1 $port\" /HOSTSYNC=20 /NETUSER=nas /NETPASSWORD=nas-pw /NETUPSMON=secondary"
echo "== 5. network settings: $installer /S $network"
installed_host() { wine_do "C:\\Program Files\\Orvik UPS\\orvik_ups.exe" "$@"; }
run_typed "$installer /S $network"
check "exit code 0 (got $?)" test $? -eq 0
check "the service runs" service_running
installed_host /network >"$work/network-before.txt"
check "orvik_ups /network lists them" test "$(cat "$work/network-before.txt")" = "Enable 1
Listen 127.0.0.1 $port
Listen ::1 $port
UpsName ups
MaxClients 64
HostSync 20
User nas upsmon=secondary actions= instcmds="
if [ -x /usr/bin/upsc ]; then
  served() { [ "$(/usr/bin/upsc -l "127.0.0.1:$port" 2>/dev/null)" = ups ]; }
  check "the service serves them (upsc -l on 127.0.0.1:$port)" served
fi
# The trays' lines tell when the upgrade's tray has reached the service (step 6).
trace=$drive/orvik-check.trace.txt
wine_do reg add "$config_key" /v DebugTraceFile /t REG_SZ /d 'C:\orvik-check.trace.txt' /f >/dev/null
trace_mark=$(stat -c %s "$trace" 2>/dev/null || echo 0)
run_typed "$installer /S"
check "an upgrade: exit code 0 (got $?)" test $? -eq 0
installed_host /network >"$work/network-after.txt"
check "the network settings are kept, and their key is read (closed to others)" \
  diff "$work/network-before.txt" "$work/network-after.txt"
check "the copy with the passwords is gone" test -z "$(find "$drive/users" -name network.reg 2>/dev/null)"

echo "== 6. uninstall: uninstall.exe /S, with the tray slow to leave"
cp "$program_dir/uninstall.exe" "$drive/orvik-check-uninstall.exe"
# Stalled before it has reached the service, a tray would only wait for it, not for the exit request.
tray_connected() { tail -c +$((trace_mark + 1)) "$trace" 2>/dev/null | grep -q 'UPS_UI::CONNECT SMAP:1'; }
check "the upgrade's tray has reached the service" eventually 30 tray_connected
trays=$(prefix_processes 'orvik_ups\.exe /gui')
check "a tray application runs" test -n "$trays"
[ -z "$trays" ] || stall_until_after_stop $trays
uninstall_silently
check "the uninstaller ended" test $? -eq 0
[ -z "$stalled" ] || wait $stall_pid
check "no service" key_absent "$service_key"
check "no Event Log source" key_absent "$source_key"
check "no program folder" test ! -e "$program_dir"
check "no Start menu entries" test ! -e "$menu_dir"
check "no installed-programs entry" key_absent "$uninstall_key"
check "no tray autostart" test -z "$(value "$run_key" UPS_UI)"
check "the statistics archive stays" test -n "$(find "$drive/orvik-check-stats" -name '*_log.dat')"

echo "== 7. the archive removed too (/ARCHIVE=1), with links planted at a year and at a month"
outside=$drive/orvik-outside
mkdir -p "$outside/year/5" "$outside/month" "$drive/orvik-check-stats/2031"
for file in year/sum_ssd.dat year/5/1_log.dat month/1_log.dat month/1_ssd.dat; do echo precious >"$outside/$file"; done
ln -s "$outside/year" "$drive/orvik-check-stats/2030"
ln -s "$outside/month" "$drive/orvik-check-stats/2031/5"
wine_do reg add "$config_key" /v stat_path /t REG_SZ /d "$archive" /f >/dev/null
# A copy kept from before step 6, run in place (_?=) as the uninstaller runs its own copy.
wine_do 'C:\orvik-check-uninstall.exe' /S /ARCHIVE=1 '_?=C:\orvik-check-gone'
check "the archive's own files are removed" test -z "$(find "$drive/orvik-check-stats" -name '*.dat')"
check "nothing removed through the links" test "$(cat "$outside"/year/sum_ssd.dat "$outside"/year/5/1_log.dat \
  "$outside"/month/1_log.dat "$outside"/month/1_ssd.dat | grep -c precious)" -eq 4
wine_do reg delete "$service_key" /f >/dev/null

echo "== 8. the viewer left open while the uninstaller runs"
run_typed "$installer /S $choice"
check "installed again (exit code $?)" test $? -eq 0
viewer=1
(cd "$drive" && "$WINE" 'C:\Program Files\Orvik UPS\scopeview.exe' >/dev/null 2>&1 &)
for _ in $(seq 100); do viewer_mapped && break; sleep 0.1; done
# In place, for its exit code; a Unix exit status keeps its low byte only.
run_typed "C:\orvik-check-uninstall.exe /S _?=C:\Program Files\Orvik UPS"
check "exit code 3010, a restart needed (its low byte $((3010 % 256)); got $?)" test $? -eq $((3010 % 256))
check "the viewer is left for the restart" test -f "$program_dir/scopeview.exe"
check "the rest is removed" test ! -e "$program_dir/orvik_ups.exe" -a ! -e "$program_dir/orvik_dll.dll" -a \
  ! -e "$program_dir/uninstall.exe"
check "no service" key_absent "$service_key"
# The prefix is never restarted: the deletion left for then is done and taken back here.
wine_do taskkill /f /im scopeview.exe >/dev/null
viewer=
rm -rf "$program_dir"
wine_do reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /f >/dev/null

echo "== 9. a UPS that another computer serves (NUT)"
login_key="$service_key\\Network\\Client"
run_typed "$installer /S /VENDOR=Orvik /MODEL=\"Varnelo 600\" /PORT=NUT:ups@::1 /USER=orvik /PASSWORD=pw"
check "an IPv6 address without brackets is refused with exit code 2 (got $?)" test $? -eq 2
check "nothing installed: no program folder" test ! -e "$program_dir"
check "nothing installed: no service" key_absent "$service_key"
served='/VENDOR=Orvik /MODEL="Varnelo 600" /PORT=nut:ups@127.0.0.1:3493 /USER=orvik /PASSWORD=secret-pw'
run_typed "$installer /S $served"
check "$served: exit code 0 (got $?)" test $? -eq 0
check "the service runs, waiting for its server" service_running
check "the port in its own spelling" test "$(value "$service_key" Port)" = 'NUT:ups@127.0.0.1'
check "the login under Network\\Client" test "$(value "$login_key" Username)|$(value "$login_key" Password)" = 'orvik|secret-pw'
run_typed "$installer /S"
check "upgrade: exit code 0 (got $?)" test $? -eq 0
check "upgrade: the port and the login are kept" \
  test "$(value "$service_key" Port)|$(value "$login_key" Username)|$(value "$login_key" Password)" = 'NUT:ups@127.0.0.1|orvik|secret-pw'
uninstall_silently
check "uninstall: the login is gone with the service" key_absent "$login_key"

echo "== 10. a network setting the switches refuse"
run_typed "$installer /S $choice /HOSTSYNC=9999"
check "exit code 6 (got $?)" test $? -eq 6
no_service() { ! wine_do sc query UPS >/dev/null; }
check "and no service" no_service

echo "package_check: $passed passed, $failed failed ($((SECONDS - start)) s)"
[ $failed -eq 0 ]
