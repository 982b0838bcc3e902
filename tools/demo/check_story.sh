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
watcher_saw_in_order() {  # what the watcher must have shown, each after the one before
  local previous=0 line
  for text in "$@"; do
    line=$(grep -n "$text" "$files/watch.txt" | head -n 1 | cut -d: -f1)
    if [ -z "$line" ] || [ "$line" -lt "$previous" ]; then
      echo "check_story.sh: the watcher did not show \"$text\" in its turn" >&2
      missing=1
      return
    fi
    previous=$line
  done
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
# The picture at that turn shows the tray's message (balloon or notifier, both light) above the
# icon, where the bare desktop is dark: the grey mean of a strip there tells them apart.
pictured_with_message() {
  local picture mean
  picture=$(ls "$files"/pictures/[0-9]*-"$1".png 2>/dev/null | head -n 1)
  [ -n "$picture" ] || { pictured "$1"; return; }
  mean=$(convert "$picture" -gravity SouthEast -crop 200x35+24+40 +repage -colorspace Gray -format '%[fx:mean]' info:)
  if ! awk -v mean="$mean" 'BEGIN { exit !(mean > 0.6) }'; then
    echo "check_story.sh: the picture at \"$1\" shows no message of the tray (${picture##*/})" >&2
    missing=1
  fi
}
# Every event line since the first one the service reported during the story is an entry of the
# Event Log, once and in order: its code the event ID, its message the text, the kind its meaning
# (entries after the last line may follow: reported after the file was read).
reported_to_event_log() {
  local problem="no entry reported to the Event Log"
  [ -s "$files/event_log.txt" ] && problem=$(awk -F'|' '
    function kind(code) {
      if (code ~ /^(06|07|14|15|39|41|43|44|45|52)$/) return "error"
      if (code ~ /^(01|02|03|04|08|09|11|12|18|19|20|42|47)$/) return "information"
      return "warning"
    }
    function text_of(line) { return substr(line, length($1) + length($2) + 3) }
    # Wine cut the entry"s text: it must begin the line"s.
    function same(line_text, entry_text) {
      if (entry_text ~ /…$/) {
        entry_text = substr(entry_text, 1, length(entry_text) - length("…"))
        return substr(line_text, 1, length(entry_text)) == entry_text
      }
      return line_text == entry_text
    }
    NR == FNR { n++; kinds[n] = $1; codes[n] = $2; texts[n] = text_of($0); next }
    /^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\|/ { m++; line_codes[m] = $2; line_texts[m] = text_of($0) }
    END {
      for (first = 1; first <= m; first++)
        if (line_codes[first] == codes[1] && same(line_texts[first], texts[1])) break
      if (first > m) { print "the first entry, " codes[1] " " texts[1] ", is no event line"; exit }
      for (i = first; i <= m; i++) {
        e = i - first + 1
        if (e > n) { print "event " line_codes[i] " " line_texts[i] " was not reported"; exit }
        if (codes[e] != line_codes[i] || !same(line_texts[i], texts[e])) {
          print "event " line_codes[i] " " line_texts[i] " was reported as " codes[e] " " texts[e]; exit
        }
        if (kinds[e] != kind(line_codes[i])) { print "event " line_codes[i] " was reported as " kinds[e]; exit }
      }
    }' "$files/event_log.txt" "$files/events.txt" 2>&1)
  if [ -n "$problem" ]; then
    echo "check_story.sh: Event Log: $problem" >&2
    missing=1
  fi
}
critical_command_ran() {
  if ! grep -aq '^UPS::event 14 command: event 14, UPS lowbattery: ' "$files/trace.txt" 2>/dev/null; then
    echo "check_story.sh: the administrator's command at the critical point did not run (or said nothing)" >&2
    missing=1
  fi
}
# The login's line, then the logout's, in upsd's own log (the demo keeps the two).
upsd_logged_in_then_out() {
  local login logout
  login=$(grep -n 'User orvik@127.0.0.1 logged into UPS \[ups\]' "$files/upsd_logins.txt" 2>/dev/null | head -n 1 | cut -d: -f1)
  logout=$(grep -n 'User orvik@127.0.0.1 logged out from UPS \[ups\]' "$files/upsd_logins.txt" 2>/dev/null | tail -n 1 | cut -d: -f1)
  if [ -z "$login" ] || [ -z "$logout" ] || [ "$login" -ge "$logout" ]; then
    echo "check_story.sh: upsd's log lacks the login and then the logout of orvik" >&2
    missing=1
  fi
}
never_received_a_turn_off() {
  if tr '\r' '\n' <"$files/ups_received.bin" | grep -q '^S'; then
    echo "check_story.sh: the UPS received a turn-off over the network" >&2
    missing=1
  fi
}
critical_action() {
  has_event 14 "Сбой питания. Действие. Батарея разряжена или порог по емкости:да"
  has_event 15 "Сбой питания. Действие выключение"
  has_event 30 "Проверочный режим: выключение"
  watcher_saw "ON BATTERY"
  watcher_saw "the statistics sheet shows today"
  # The critical point as the user saw it, before the service stopped; then the stopped service.
  pictured_with_message battery-low
  pictured_with_message monitoring-stopped
}

has_event 01 "Служба ИБП запущена"
reported_to_event_log
case $scenario in
  power-failure)
    has_event 05 "Сбой в питании, переход на батарею"
    has_event 21 "Выключение по ёмкости"
    tray_icons "mains,on battery"
    ups_received "S03R[0-9]\{4\}"
    critical_action ;;
  ups-lowbat)
    has_event 05 "Сбой в питании, переход на батарею"
    has_event 17 "Батарея разряжена"
    lacks_event 21
    tray_icons "mains,on battery"
    ups_received "S03R[0-9]\{4\}"
    critical_action ;;
  nut-client)
    has_event 05 "Сбой в питании, переход на батарею"
    has_event 21 "Выключение по ёмкости"
    has_event 47 "Сервер ИБП ups@127.0.0.1:"
    lacks_event 07
    lacks_event 06
    tray_icons "mains,on battery"
    never_received_a_turn_off
    upsd_logged_in_then_out
    critical_action ;;
  cable-pulled)
    has_event 06 "Нет связи с ИБП"
    has_event 03 "Связь с ИБП восстановлена"
    lacks_event 14
    tray_icons "mains,no link,mains"
    watcher_saw "NO LINK"
    watcher_saw "the statistics sheet shows today; its \"Обновить\" got the service's flush answer" ;;
  network)
    has_event 05 "Сбой в питании, переход на батарею"
    has_event 21 "Выключение по ёмкости"
    # The other computer was told, went, and only then came this computer's own action. Event 42
    # counts it logged in when FSD was served: the watcher, asking every 100 ms, may find it gone
    # already, since its upsmon may ask within that time and leave at once. Its upsmon runs the
    # shutdown command before it logs out, but the watcher looks for the command's file every
    # 100 ms and at the event lines once a second: on a busy machine the command, the logout and
    # event 42 can all fall between two of its looks, so the file is checked to come after FSD only.
    has_event 42 "Ожидание других компьютеров: оповещено 1, отключилось 1"
    lacks_event 43
    tray_icons "mains,on battery"
    watcher_saw_in_order 'serves ups.status "OL"; computers logged in: 1' \
      'serves ups.status "FSD OB LB"; computers logged in: ' "|42|" "|30|Проверочный режим: выключение"
    watcher_saw_in_order 'serves ups.status "FSD OB LB"; computers logged in: ' \
      "the other computer ran its shutdown command"
    critical_action ;;
  battery-test)
    ups_received "T01"
    tray_icons "mains"
    watcher_saw "BATTERY TEST"
    lacks_event 14 ;;
esac
[ $missing -eq 0 ] && echo "check_story.sh: the $scenario story is complete"
exit $missing
