#!/usr/bin/env bash
# nut_server_bench.sh [--clients N] [--seconds S]: the service's NUT server under load, under Wine
# against the UPS simulator. Installs the service with its server on 127.0.0.1 (a port chosen for
# the run, MaxClients 256), then measures for S seconds without clients and S seconds with N
# clients each asking GET VAR ups.status once a second plus one asking LIST VAR back to back
# (bench/nut_load.cpp, native): the answer times (p50, p99), the service process's CPU, the polling
# cycle's period as the simulated UPS saw the queries arrive, and the service's memory with and
# without the connections (resident set, as Linux counts the Wine process). Prints figures; never
# fails on them. Defaults: 200 clients, 60 s each. Uses its own prefix, build/bench/nut-wineprefix.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
clients=200
seconds=60
while [ $# -gt 0 ]; do
  case $1 in
    --clients) clients=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    *) sed -n '2,10p' "$0" >&2; exit 2 ;;
  esac
done
upssim=$root/build/native/tools/upssim/upssim
load=$root/build/bench/bench/nut_load
bin=$root/build/win64/bin
for needed in "$upssim" "$load" "$bin/orvik_ups.exe" "$bin/orvik_dll.dll"; do
  [ -e "$needed" ] || { echo "nut_server_bench.sh: $needed is missing (build native, bench and win64)" >&2; exit 2; }
done
work=$root/build/bench/nut
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$root/build/bench/nut-wineprefix
source tools/wine/env.sh
tools/wine/prefix.sh up "$WINEPREFIX" >"$work/prefix.log" 2>&1 || { cat "$work/prefix.log"; exit 1; }
export DISPLAY
DISPLAY=$(cut -d' ' -f1 "$WINEPREFIX.display")
run() { (cd "$bin" && "$WINE" "$@" >>"$work/wine.log" 2>&1); }

source tools/checks.sh
port=$(free_port) || { echo "nut_server_bench.sh: no free port" >&2; exit 1; }

sim_pid=
cleanup() {
  run orvik_ups.exe /uninstall
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  tools/wine/prefix.sh down "$WINEPREFIX" >/dev/null 2>&1
}
trap cleanup EXIT

run orvik_ups.exe /uninstall
"$upssim" --link "$ORVIK_COM1_LINK" --scenario tools/demo/mains.txt --log "$work/ups.log" >"$work/upssim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^upssim: ready' "$work/upssim.out" 2>/dev/null && break; sleep 0.05; done
run orvik_ups.exe /network:on
run orvik_ups.exe /network:listen "127.0.0.1 $port"
run orvik_ups.exe /network:maxclients 256
run orvik_ups.exe /install /vendor:Orvik "/model:Varnelo 600" /port:COM1 || { echo "the service did not start" >&2; exit 1; }
for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.2; done

# The Linux process of the service: the Wine process of this prefix running orvik_ups.exe without
# arguments (other prefixes on the machine may run their own).
service_pid=
for pid in $(pgrep -f 'orvik_ups.exe'); do
  { tr '\0' '\n' </proc/"$pid"/environ; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
  [ "$(tr '\0' '\n' </proc/"$pid"/cmdline | sed -n 2p)" = "" ] && service_pid=$pid
done
[ -n "$service_pid" ] || { echo "nut_server_bench.sh: the service's process was not found" >&2; exit 1; }
ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' /proc/"$service_pid"/stat; }
rss_kib() { awk '/^VmRSS/ {print $2}' /proc/"$service_pid"/status; }

# The polling period between the first and the last query the UPS received in a window.
periods() {  # periods FROM_SECONDS TO_SECONDS (the simulator's own clock, its log's second column)
  awk -v from="$1" -v to="$2" '/rx Q1/ { t = $3 + 0; if (t >= from && t <= to) { if (last) print (t - last) * 1000; last = t } }' \
    "$work/ups.log" | sort -n |
    awk '{ v[NR] = $1; s += $1 } END { i = int(NR * 0.99); if (i < 1) i = 1; if (NR) printf "mean %.1f ms, p99 %.1f ms, longest %.1f ms over %d cycles", s / NR, v[i], v[NR], NR }'
}
sim_clock() { tail -n 1 "$work/ups.log" | sed 's/.*\[ *\([0-9.]*\)\].*/\1/'; }

measure() {  # measure WHAT: CPU over the window that just ran
  local cpu=$(( $(cpu_ticks) - cpu_start ))
  echo "   service CPU: $(awk -v t="$cpu" -v hz="$ticks" -v s="$seconds" 'BEGIN { printf "%.1f %% of one core (%.2f s in %d s)", 100 * t / hz / s, t / hz, s }')"
}

echo "== the NUT server: $seconds s without clients"
idle_rss=$(rss_kib)
cpu_start=$(cpu_ticks); from=$(sim_clock)
sleep "$seconds"
measure
echo "   polling period: $(periods "$from" "$(sim_clock)")"
echo "   service memory (resident): $idle_rss KiB"

echo "== $seconds s with $clients clients asking GET VAR ups.status once a second, one more LIST VAR back to back"
cpu_start=$(cpu_ticks); from=$(sim_clock)
"$load" --port "$port" --clients "$clients" --seconds "$seconds" --hold-seconds 10 >"$work/load.txt" 2>&1 &
load_pid=$!
sleep $((seconds + 4))
to=$(sim_clock)
measure
loaded_rss=$(rss_kib)
wait "$load_pid"
sed 's/^/   /' "$work/load.txt"
echo "   polling period: $(periods "$from" "$to")"
echo "   service memory (resident) with the $((clients + 1)) connections open: $loaded_rss KiB," \
  "$(( (loaded_rss - idle_rss) * 1024 / (clients + 1) )) bytes a connection more than without"
