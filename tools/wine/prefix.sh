#!/usr/bin/env bash
# prefix.sh up|down PREFIX
#   up    make the project's Wine prefix once (reused afterwards), keep its server alive and give
#         it an X display of its own
#   down  stop the prefix's server and display, and wait until the server has gone
#
# Wine's Event Log keeps nothing, but its ReportEventW traces each entry on the "eventlog" debug
# channel (errors on err, warnings on warn, the rest on trace; the event ID on advapi's fixme line).
# The prefix's system processes, and with them every service they start, run with those channels
# on and their debug output appended to PREFIX.services.log, where tests and the demo read the
# entries the service reported.
set -euo pipefail
cmd=${1:?up or down}
export WINEPREFIX=${2:?prefix directory}
source "$(dirname "$0")/env.sh"
services_log="$WINEPREFIX.services.log"
services_debug=-all,fixme+advapi,err+eventlog,warn+eventlog,trace+eventlog

make_prefix() {
  echo "prefix.sh: making Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  timeout 240 "$WINE" wineboot --init 9>&-
  # A crash dialog would block a headless run until its time-out.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f 9>&-
  "$WINE" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$ORVIK_COM1_LINK" /f 9>&-
  wineserver -w
  touch "$WINEPREFIX/.orvik-ready"
}

# An X display of the prefix's own (Xvfb), so that windows can be created: without one Wine
# fails every CreateWindow, even of the hidden windows a service keeps for system broadcasts.
start_display() {
  local display_file="$WINEPREFIX.display"
  if [ -f "$display_file" ] && kill -0 "$(cut -d' ' -f2 "$display_file")" 2>/dev/null; then return; fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 9>&- &
  local pid=$!
  local number
  read -r -t 20 number <"$fifo" || true
  rm -f "$fifo"
  [ -n "$number" ] || { echo "prefix.sh: Xvfb did not start" >&2; exit 1; }
  echo ":$number $pid" >"$display_file"
}

stop_display() {
  local display_file="$WINEPREFIX.display"
  [ -f "$display_file" ] || return 0
  local pid
  pid=$(cut -d' ' -f2 "$display_file")
  kill "$pid" 2>/dev/null || true
  # Gone before its number is free again: a display started next must not lose its socket to the
  # old server's exit.
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  rm -f "$display_file"
}

case $cmd in
  up)
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    start_display
    export DISPLAY
    DISPLAY=$(cut -d' ' -f1 "$WINEPREFIX.display")
    [ -f "$WINEPREFIX/.orvik-ready" ] || make_prefix
    # Services die about a second after the last ordinary process unless the server persists.
    # The server and the prefix's system processes start here, their output on /dev/null or the
    # services' log: had a test program started them, they would hold its output pipe open and
    # ctest would wait forever.
    # Nor may they inherit the lock, which they would hold for their whole life.
    # (A server already running refuses a second one: it was made persistent by the first call.)
    wineserver -p >/dev/null 2>&1 9>&- || true
    WINEDEBUG=$services_debug "$WINE" wineboot >>"$services_log" 2>&1 9>&-
    echo "prefix.sh: $WINEPREFIX ready"
    ;;
  down)
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    stop_display
    rm -f "$services_log"
    ;;
  *)
    echo "prefix.sh: unknown command $cmd" >&2
    exit 2
    ;;
esac
