#!/bin/sh
# Draws the program's icon (quillow.ico) and the glyph of "Begin Search" (glyph.bmp) with
# ImageMagick. Run from this folder: ./make_images.sh
set -eu

# Icon: a yellow folder with a magnifying glass, drawn large and scaled to 48, 32 and 16.
convert -size 256x256 xc:none \
  -fill '#d9a520' -stroke '#8a6410' -strokewidth 6 \
  -draw "polygon 16,60 96,60 116,84 236,84 236,220 16,220" \
  -fill '#f5cc4a' -draw "polygon 16,100 236,100 236,220 16,220" \
  -stroke '#303030' -strokewidth 26 -draw "line 176,176 236,236" \
  -fill '#bfe6ff' -stroke '#303030' -strokewidth 16 -draw "circle 128,128 128,66" \
  -fill none -stroke white -strokewidth 8 -draw "arc 86,86 150,150 190,260" \
  /tmp/quillow-icon-256.png
convert /tmp/quillow-icon-256.png -define icon:auto-resize=48,32,16 quillow.ico
rm -f /tmp/quillow-icon-256.png

# Glyph: two 16 x 16 images side by side, enabled then disabled, on magenta (the
# transparent colour). Drawn without smoothing so that no pixel mixes with the magenta.
glyph() {
  convert -size 16x16 xc:'#ff00ff' +antialias \
    -stroke "$3" -strokewidth 2 -draw "line 9,9 14,14" \
    -fill "$2" -stroke "$1" -strokewidth 1 -draw "circle 6,6 6,2" \
    "$4"
}
glyph '#203060' '#9fd8ff' '#604020' /tmp/quillow-glyph-on.png
glyph '#808080' '#d4d4d4' '#a0a0a0' /tmp/quillow-glyph-off.png
convert /tmp/quillow-glyph-on.png /tmp/quillow-glyph-off.png +append -type TrueColor BMP3:glyph.bmp
rm -f /tmp/quillow-glyph-on.png /tmp/quillow-glyph-off.png
