#!/usr/bin/env bash
# check_story.sh SCENARIO FILES: whether a demo run told its scenario's story — the event lines it
# must have written (events.txt, UTF-8), what the UPS must have received, what the watcher saw (the
# statistics sheet at the end among it), which icons the tray application showed, in order (its
# lines in the debug trace), and the turns of the story the desktop was photographed at.
# Prints every missing piece; exit 1 when one is missing.
set -uo pipefail
scenario=$1
files=$2
missing=0

has_event() {  # code, text
  if ! grep -q "|$1|$2" "$files/events.txt" 2>/dev/null; then
    echo "check_story.sh: missing event $1 \"$2\"" >&2
    missing=1
  fi
}
lacks_event() {
  if grep -q "|$1|" "$files/events.txt" 2>/dev/null; then
    echo "check_story.sh: unexpected event $1" >&2
    missing=1
  fi
}
ups_received() {  # a command, without its CR
  if ! tr '\r' '\n' <"$files/ups_received.bin" | grep -qx "$1"; then
    echo "check_story.sh: the UPS never received $1" >&2
    missing=1
  fi
}
watcher_saw() {
  if ! grep -q "$1" "$files/watch.txt"; then
    echo "check_story.sh: the watcher never showed $1" >&2
    missing=1
  fi
}
tray_icons() {  # the icons in the order they must have been shown
  local shown
  shown=$(grep -a '^UPS_UI::icon ' "$files/trace.txt" 2>/dev/null | sed 's/^UPS_UI::icon //' | tr '\n' ',')
  if ! grep -q 'UPS_UI::CONNECT SMAP:1' "$files/trace.txt" 2>/dev/null; then
    echo "check_story.sh: the tray application never connected to the service" >&2
    missing=1
  fi
  if [ "$shown" != "$1," ]; then
    echo "check_story.sh: the tray showed the icons \"$shown\", not \"$1,\"" >&2
    missing=1
  fi
}
pictured() {  # the turn of the story a desktop picture was taken at
  if ! ls "$files/pictures/" 2>/dev/null | grep -q "^[0-9]*-$1\.png$"; then
    echo "check_story.sh: no picture of the desktop at \"$1\"" >&2
    missing=1
  fi
}
critical_action() {
  has_event 14 "Сбой питания. Действие. Батарея разряжена или порог по емкости:да"
  has_event 15 "Сбой питания. Действие выключение"
  has_event 30 "Проверочный режим: выключение"
  ups_received "S03R[0-9]\{4\}"
  watcher_saw "ON BATTERY"
  watcher_saw "the statistics sheet shows today"
  # The critical point as the user saw it, before the service stopped; then the stopped service.
  pictured battery-low
  pictured monitoring-stopped
}

has_event 01 "Служба ИБП запущена"
case $scenario in
  power-failure)
    has_event 05 "Сбой в питании, переход на батарею"
    has_event 21 "Выключение по ёмкости"
    tray_icons "mains,on battery"
    critical_action ;;
  ups-lowbat)
    has_event 05 "Сбой в питании, переход на батарею"
    has_event 17 "Батарея разряжена"
    lacks_event 21
    tray_icons "mains,on battery"
    critical_action ;;
  cable-pulled)
    has_event 06 "Нет связи с ИБП"
    has_event 03 "Связь с ИБП восстановлена"
    lacks_event 14
    tray_icons "mains,no link,mains"
    watcher_saw "NO LINK"
    watcher_saw "the statistics sheet shows today; its \"Обновить\" got the service's flush answer" ;;
  battery-test)
    ups_received "T01"
    tray_icons "mains"
    watcher_saw "BATTERY TEST"
    lacks_event 14 ;;
esac
[ $missing -eq 0 ] && echo "check_story.sh: the $scenario story is complete"
exit $missing
