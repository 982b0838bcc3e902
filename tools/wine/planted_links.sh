#!/usr/bin/env bash
# planted_links.sh DIR PROGRAM.exe FILTER [PROGRAM.exe FILTER ...]
# Plants in DIR the links another user could plant where the service writes, then runs each test
# program under Wine with its filter. Wine shows a Unix symbolic link to a Windows program as a
# reparse point, as Windows shows a junction; a Windows program cannot make one here.
#   DIR/root/2031/5 -> DIR/outside         a month folder of a statistics archive
#   DIR/trace.log   -> DIR/spoil/trace.log     the debug trace file, pointing at a file to spoil
set -uo pipefail
dir=${1:?directory for the links}
shift
rm -rf "$dir"
mkdir -p "$dir/root/2031" "$dir/outside" "$dir/spoil"
ln -s "$dir/outside" "$dir/root/2031/5"
echo precious >"$dir/spoil/trace.log"
ln -s "$dir/spoil/trace.log" "$dir/trace.log"
export ORVIK_PLANTED_LINK=$dir
status=0
while [ $# -ge 2 ]; do
  "$(dirname "$0")/run_test.sh" "$1" "--gtest_filter=$2" || status=1
  shift 2
done
exit $status
