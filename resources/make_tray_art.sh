#!/usr/bin/env bash
# make_tray_art.sh: draws the tray's four state icons (resources 102, 103, 104, 108) at 16 and 32
# pixels and the notifier's skin (resource 201) into resources/. Needs ImageMagick; run it again to
# remake them. Each state has its own silhouette as well as its own colour, so the states can be
# told apart at 16 pixels and without colour vision: a cross, a battery, a plug, a square with arrows.
# Each size is drawn for itself rather than scaled from the other, so the 16-pixel icons stay sharp.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A dark rim around every shape keeps it visible on light and dark taskbars alike.
grey=#a4a8ad;  grey_rim=#34383c
amber=#f5a623; amber_rim=#5c3900; amber_hi=#ffd27a
green=#2eb84b; green_rim=#0c4a1b; green_hi=#8fe6a2
blue=#1f8fd0;  blue_rim=#0b3452;  blue_hi=#7cc6ee

# The 16-pixel icons are placed pixel by pixel, since shapes drawn at that size come out blurred or
# lopsided. Legend: "." clear, "o" rim, "x" body, "h" highlight, "w" white.
pixels() {
  local out=$1 body=$2 rim=$3 hi=$4
  {
    printf '/* XPM */\nstatic char *icon[] = {\n"16 16 5 1",\n'
    printf '". c None",\n"o c %s",\n"x c %s",\n"h c %s",\n"w c #ffffff",\n' "$rim" "$body" "$hi"
    sed 's/.*/"&",/'
    printf '};\n'
  } >"$work/icon.xpm"
  convert "$work/icon.xpm" "$out"
}

# No link: a bold grey cross, nothing else carries that shape.
no_link() {
  local s=$1 out=$2
  if [ "$s" = 16 ]; then
    pixels "$out" "$grey" "$grey_rim" "$grey" <<'ART'
................
.ooo........ooo.
.oxxo......oxxo.
.oxxxo....oxxxo.
..oxxxo..oxxxo..
...oxxxooxxxo...
....oxxxxxxo....
.....oxxxxo.....
.....oxxxxo.....
....oxxxxxxo....
...oxxxooxxxo...
..oxxxo..oxxxo..
.oxxxo....oxxxo.
.oxxo......oxxo.
.ooo........ooo.
................
ART
  else
    convert -size 32x32 xc:none -fill none -stroke "$grey_rim" -strokewidth 10 \
      -draw "stroke-linecap round line 7,7 24,24" -draw "stroke-linecap round line 24,7 7,24" \
      -stroke "$grey" -strokewidth 6 -draw "line 7,7 24,24" -draw "line 24,7 7,24" "$out"
  fi
}

# On battery: a wide battery with its terminal on the right, its three cells full of amber.
on_battery() {
  local s=$1 out=$2
  if [ "$s" = 16 ]; then
    pixels "$out" "$amber" "$amber_rim" "$amber_hi" <<'ART'
................
................
................
.ooooooooooooo..
.ohhhohhhohhho..
.oxxxoxxxoxxxooo
.oxxxoxxxoxxxoxo
.oxxxoxxxoxxxoxo
.oxxxoxxxoxxxoxo
.oxxxoxxxoxxxoxo
.oxxxoxxxoxxxooo
.oxxxoxxxoxxxo..
.ooooooooooooo..
................
................
................
ART
  else
    convert -size 32x32 xc:none -stroke none \
      -fill "$amber_rim" -draw "roundrectangle 0,7 27,24 3,3" -draw "rectangle 28,12 31,19" \
      -fill "$amber" -draw "roundrectangle 2,9 25,22 2,2" \
      -fill "$amber_hi" -draw "rectangle 3,10 24,12" \
      -fill "$amber_rim" -draw "rectangle 10,9 11,22" -draw "rectangle 18,9 19,22" "$out"
  fi
}

# Mains: a green two-pin plug with its cord hanging down.
mains() {
  local s=$1 out=$2
  if [ "$s" = 16 ]; then
    pixels "$out" "$green" "$green_rim" "$green_hi" <<'ART'
...oooo..oooo...
...ohho..ohho...
...ohho..ohho...
...ohho..ohho...
.ooohhoooohhooo.
.ohhhhhhhhhhhho.
.oxxxxxxxxxxxxo.
.oxxxxxxxxxxxxo.
.oxxxxxxxxxxxxo.
.oxxxxxxxxxxxxo.
.oooxxxxxxxxooo.
...oxxxxxxxxo...
...ooooxxoooo...
......oxxo......
......oxxo......
......oxxo......
ART
  else
    convert -size 32x32 xc:none -stroke none \
      -fill "$green_rim" -draw "roundrectangle 7,0 13,12 2,2" -draw "roundrectangle 18,0 24,12 2,2" \
      -draw "roundrectangle 2,9 29,21 3,3" -draw "polygon 5,20 26,20 21,26 10,26" \
      -draw "rectangle 12,25 19,31" \
      -fill "$green_hi" -draw "rectangle 9,2 11,10" -draw "rectangle 20,2 22,10" \
      -fill "$green" -draw "roundrectangle 4,11 27,19 2,2" -draw "polygon 7,19 24,19 20,24 11,24" \
      -draw "rectangle 14,24 17,31" \
      -fill "$green_hi" -draw "rectangle 5,11 26,12" "$out"
  fi
}

# Regulation: a blue tile with a white arrow up beside a white arrow down, the voltage being
# raised and lowered.
avr() {
  local s=$1 out=$2
  if [ "$s" = 16 ]; then
    pixels "$out" "$blue" "$blue_rim" "$blue_hi" <<'ART'
.oooooooooooooo.
oxhhhhhhhhhhhhxo
oxxxwxxxxxwwwxxo
oxxwwwxxxxwwwxxo
oxwwwwwxxxwwwxxo
owwwwwwwxxwwwxxo
oxxwwwxxxxwwwxxo
oxxwwwxxxxwwwxxo
oxxwwwxxxxwwwxxo
oxxwwwxxxxwwwxxo
oxxwwwxxwwwwwwwo
oxxwwwxxxwwwwwxo
oxxwwwxxxxwwwxxo
oxxwwwxxxxxwxxxo
oxxxxxxxxxxxxxxo
.oooooooooooooo.
ART
  else
    convert -size 32x32 xc:none -stroke none \
      -fill "$blue_rim" -draw "roundrectangle 0,0 31,31 5,5" \
      -fill "$blue" -draw "roundrectangle 2,2 29,29 4,4" \
      -fill "$blue_hi" -draw "rectangle 5,3 26,4" \
      -fill white -draw "polygon 10,5 16,12 4,12" -draw "rectangle 8,12 12,27" \
      -draw "polygon 22,27 28,20 16,20" -draw "rectangle 20,5 24,20" "$out"
  fi
}

for state in no_link on_battery mains avr; do
  for size in 16 32; do
    "$state" "$size" "$work/${state}_$size.png"
  done
  convert "$work/${state}_16.png" "$work/${state}_32.png" "$here/tray_$state.ico"
done

# The skin: a light panel under black 9-point text set 10 pixels in from every edge. The gradient
# stays pale enough for dark text everywhere, and the accent strip ends above the text's inset.
convert -size 300x180 gradient:'#fdfdfe-#e3e9f1' +antialias \
  -fill '#3d7cc0' -draw "rectangle 0,0 299,4" \
  -fill '#8fb6e0' -draw "rectangle 0,5 299,5" \
  -fill none -stroke '#7d8ea3' -strokewidth 1 -draw "rectangle 0,0 299,179" \
  -type TrueColor "BMP3:$here/notifier_skin.bmp"

echo "make_tray_art.sh: wrote tray_no_link.ico tray_on_battery.ico tray_mains.ico tray_avr.ico" \
  "notifier_skin.bmp into $here"
