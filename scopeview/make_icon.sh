#!/usr/bin/env bash
# make_icon.sh: draws the viewer's icon (resource 128), a green trace on a dark screen, at 16, 32
# and 48 pixels into scopeview/scopeview.ico. Needs ImageMagick; run it again to remake the icon.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 32 48; do
  trace=$(awk -v s="$size" 'BEGIN { for (x = 0; x < s; x++) printf "%d,%.1f ", x, s / 2 - s * 0.3 * sin(x / s * 6.2831853 * 1.5) }')
  convert -size "${size}x${size}" xc:'#1b2b1b' -fill none \
    -stroke '#9aa89a' -strokewidth 1 -draw "rectangle 0,0 $((size - 1)),$((size - 1))" \
    -stroke '#7fff7f' -strokewidth $((size / 16)) -draw "polyline $trace" "$work/icon$size.png"
done
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" "$here/scopeview.ico"
echo "make_icon.sh: wrote $here/scopeview.ico"
