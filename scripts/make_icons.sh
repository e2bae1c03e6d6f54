#!/usr/bin/env bash
# Draws the program icon into packaging/icons/ with ImageMagick (convert): a
# wafer with its die grid, a few failing dies in red, under a magnifying glass.
# The results are committed; run again only to change the icon.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

grid=""
for v in 36 60 84 108 132 156 180; do grid+="line $v,0 $v,256 line 0,$((v + 4)) 256,$((v + 4)) "; done

# The dies, cut to the wafer's round edge.
convert -size 256x256 xc:'#7fa7d8' -stroke '#3d4a5c' -strokewidth 3 -draw "$grid" \
  -stroke none -fill '#e03b2f' \
  -draw "rectangle 62,66 82,86 rectangle 110,90 130,110 rectangle 86,138 106,158 rectangle 134,42 154,62" \
  "$work/dies.png"
convert "$work/dies.png" \( -size 256x256 xc:none -fill white -draw "circle 108,112 108,24" \) \
  -compose DstIn -composite "$work/wafer.png"

# Rim and notch, then the glass over the lower right.
convert -size 256x256 xc:none "$work/wafer.png" -compose Over -composite \
  -fill none -stroke '#3d4a5c' -strokewidth 8 -draw "circle 108,112 108,18" \
  -fill '#3d4a5c' -stroke none -draw "polygon 98,212 118,212 108,198" \
  -fill '#ffffff99' -stroke '#1f2a38' -strokewidth 12 -draw "circle 178,178 178,136" \
  -stroke '#1f2a38' -strokewidth 22 -draw "line 212,212 244,244" \
  "$work/lognex-256.png"

for size in 16 22 24 32 48 64 128 256; do
  convert "$work/lognex-256.png" -filter Lanczos -resize "${size}x${size}" -strip "lognex-$size.png"
done
# The Windows program's icon resource: every size in one file, 8 bits a channel.
convert lognex-16.png lognex-24.png lognex-32.png lognex-48.png lognex-64.png lognex-128.png lognex-256.png \
  -depth 8 lognex.ico
