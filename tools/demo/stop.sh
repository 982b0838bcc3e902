#!/usr/bin/env bash
# stop.sh DEMO_DIR [--keep-prefix]: ends a demo left running by `demo.sh --keep-running`: removes the
# system from its prefix, stops the simulated UPS (and NUT's server serving it) and (unless
# --keep-prefix) the prefix's server.
set -uo pipefail
demo=${1:?demo directory}
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -f "$demo/simulator.pid" ] || { echo "stop.sh: no demo is running"; exit 0; }
kill "$(cat "$demo/simulator.pid")" 2>/dev/null
rm -f "$demo/simulator.pid"
if [ -f "$demo/nut_server" ]; then
  "$root/tools/wine/nut_server.sh" down "$(cat "$demo/nut_server")"
  rm -f "$demo/nut_server"
fi
[ "${2:-}" = --keep-prefix ] && exit 0
export WINEPREFIX
WINEPREFIX=$(cat "$demo/prefix")
source "$root/tools/wine/env.sh"
(cd "$root/build/win64/bin" && "$WINE" orvik_ups.exe /uninstall)
"$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
"$root/tools/wine/prefix.sh" down "$WINEPREFIX"
echo "stop.sh: the demo has ended"
