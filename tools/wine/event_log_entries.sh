#!/usr/bin/env bash
# event_log_entries.sh LOG [OFFSET]: the Windows Event Log entries that Wine's ReportEventW traced
# in LOG (a prefix's services log, see prefix.sh) from byte OFFSET on, one a line:
#   KIND|NN|TEXT   KIND error, warning or information, NN the event ID, TEXT the entry's text (UTF-8)
# Wine's trace writes characters outside ASCII as \XXXX and cuts a long string ("..."); a text it
# cut ends with "…" here.
set -euo pipefail
log=${1:?services log}
offset=${2:-0}
[ -f "$log" ] || exit 0
tail -c +$((offset + 1)) "$log" | perl -CO -ne '
  # The event ID is on the fixme line that the same thread writes just before the string.
  if (/^([0-9a-f]+):fixme:advapi:ReportEventW \([^,]*,[^,]*,[^,]*,0x([0-9a-f]+)/) { $id{$1} = hex $2; next }
  next unless /^([0-9a-f]+):(err|warn|trace):eventlog:ReportEventW L"(.*)"(\.\.\.)?$/;
  my ($thread, $class, $text, $cut) = ($1, $2, $3, $4);
  $text =~ s/\\(?:([0-9a-f]{4})|(.))/defined $1 ? chr(hex $1) : $2 eq "n" ? "\n" : $2 eq "r" ? "\r" : $2 eq "t" ? "\t" : $2/ge;
  my %kind = (err => "error", warn => "warning", trace => "information");
  printf "%s|%02d|%s%s\n", $kind{$class}, $id{$thread} // 0, $text, $cut ? "\x{2026}" : "";
'
