#!/usr/bin/env bash
# nut_server.sh up DIR | down DIR
# NUT's own server for the simulated UPS, natively (DESIGN.md, "NUT tools"): the UPS simulator on
# a pseudo-terminal of its own, NUT's Q1 driver (nutdrv_qx) reading it and upsd serving it as "ups"
# on 127.0.0.1 at a free port, each with its configuration, state and log in DIR. Users:
#   orvik / orvik-pw   upsmon secondary; may run test.battery.start.quick
#   admin / admin-pw   upsmon primary; may set FSD and run every command
#
# `up` prints the environment a test needs (NAME=value lines, also written to DIR/env):
#   ORVIK_NUT_PORT              upsd's port
#   ORVIK_NUT_UPSD_LOG          upsd's log (its LOGIN and LOGOUT lines)
#   ORVIK_NUT_SERVER_CONTROL    a file; appending "upsd stop" or "upsd start" stops or starts upsd
#   ORVIK_SIM_CONTROL, ORVIK_SIM_STATE, ORVIK_SIM_LOG, ORVIK_SIM_RECORD   the simulator's files
# Options for `up`: --speed X (the simulator's physics, default 1), --scenario FILE.
# `down` ends everything it started there. Exit 77 when NUT's programs are not installed.
set -uo pipefail
action=${1:?up or down}
dir=${2:?directory}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
upssim=${ORVIK_UPSSIM:-$here/../../build/native/tools/upssim/upssim}
driver=/lib/nut/nutdrv_qx
upsd=/lib/nut/upsd

stop_pid_file() {
  local file=$1
  [ -f "$file" ] || return 0
  local pid
  pid=$(cat "$file")
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  rm -f "$file"
}

nut_env() {
  export NUT_CONFPATH=$dir/conf NUT_STATEPATH=$dir/state NUT_ALTPIDPATH=$dir/state
}

start_upsd() {
  nut_env
  "$upsd" -u "$(id -un)" -D >>"$dir/upsd.log" 2>&1 &
  echo $! >"$dir/upsd.pid"
}

# Serves "upsd stop" and "upsd start" appended to the control file, until `down`.
watch_control() {
  local done_lines=0
  while [ -f "$dir/watching" ]; do
    local lines
    lines=$(wc -l <"$dir/server_control")
    while [ "$done_lines" -lt "$lines" ]; do
      done_lines=$((done_lines + 1))
      case $(sed -n "${done_lines}p" "$dir/server_control") in
        "upsd stop") stop_pid_file "$dir/upsd.pid" ;;
        "upsd start") start_upsd ;;
      esac
    done
    sleep 0.1
  done
}

up() {
  local speed=1 scenario=
  while [ $# -gt 0 ]; do
    case $1 in
      --speed) speed=$2; shift 2 ;;
      --scenario) scenario=$2; shift 2 ;;
      *) echo "nut_server.sh: unknown option $1" >&2; return 2 ;;
    esac
  done
  if [ ! -x "$driver" ] || [ ! -x "$upsd" ]; then
    echo "nut_server.sh: NUT's server is not installed (Debian's nut-server; tools/setup.sh installs it)" >&2
    return 77
  fi
  rm -rf "$dir"
  mkdir -p "$dir/conf" "$dir/state"
  chmod 700 "$dir/state"
  : >"$dir/ups_control"
  : >"$dir/server_control"
  local sim_args=(--link "$dir/ups-pty" --control "$dir/ups_control" --state "$dir/ups_state"
    --log "$dir/ups.log" --record "$dir/ups_received" --speed "$speed")
  [ -n "$scenario" ] && sim_args+=(--scenario "$scenario")
  "$upssim" "${sim_args[@]}" >"$dir/upssim.out" 2>&1 &
  echo $! >"$dir/upssim.pid"
  for _ in $(seq 100); do grep -q '^upssim: ready' "$dir/upssim.out" 2>/dev/null && break; sleep 0.05; done
  grep -q '^upssim: ready' "$dir/upssim.out" || { cat "$dir/upssim.out" >&2; return 1; }

  cat >"$dir/conf/ups.conf" <<EOF
[ups]
  driver = nutdrv_qx
  port = $dir/ups-pty
  protocol = megatec
  pollinterval = 1
  pollfreq = 2
EOF
  cat >"$dir/conf/upsd.users" <<'EOF'
[orvik]
  password = orvik-pw
  upsmon secondary
  instcmds = test.battery.start.quick
[admin]
  password = admin-pw
  upsmon primary
  actions = FSD
  instcmds = all
EOF
  nut_env
  "$driver" -a ups -u "$(id -un)" -D >"$dir/driver.log" 2>&1 &
  echo $! >"$dir/driver.pid"

  # A port of its own for every run; another run may have taken the one tried first.
  local port
  for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 30000))
    echo "LISTEN 127.0.0.1 $port" >"$dir/conf/upsd.conf"
    chmod 640 "$dir"/conf/*
    : >"$dir/upsd.log"
    start_upsd
    for _ in $(seq 50); do
      grep -q "listening on 127.0.0.1 port $port" "$dir/upsd.log" 2>/dev/null && break
      kill -0 "$(cat "$dir/upsd.pid")" 2>/dev/null || break
      sleep 0.1
    done
    grep -q "listening on 127.0.0.1 port $port" "$dir/upsd.log" && break
    stop_pid_file "$dir/upsd.pid"
    port=
  done
  [ -n "$port" ] || { echo "nut_server.sh: upsd did not start:" >&2; cat "$dir/upsd.log" >&2; return 1; }
  # Up means serving the UPS's status: the driver needs a moment to reach upsd.
  for _ in $(seq 100); do
    upsc "ups@127.0.0.1:$port" ups.status >/dev/null 2>&1 && break
    sleep 0.1
  done
  touch "$dir/watching"
  watch_control &
  echo $! >"$dir/watch.pid"

  cat >"$dir/env" <<EOF
ORVIK_NUT_PORT=$port
ORVIK_NUT_UPSD_LOG=$dir/upsd.log
ORVIK_NUT_SERVER_CONTROL=$dir/server_control
ORVIK_SIM_CONTROL=$dir/ups_control
ORVIK_SIM_STATE=$dir/ups_state
ORVIK_SIM_LOG=$dir/ups.log
ORVIK_SIM_RECORD=$dir/ups_received
EOF
  cat "$dir/env"
}

down() {
  rm -f "$dir/watching"
  stop_pid_file "$dir/watch.pid"
  stop_pid_file "$dir/upsd.pid"
  stop_pid_file "$dir/driver.pid"
  stop_pid_file "$dir/upssim.pid"
}

case $action in
  up) up "$@" ;;
  down) down ;;
  *) echo "usage: nut_server.sh up DIR [--speed X] [--scenario FILE] | down DIR" >&2; exit 2 ;;
esac
