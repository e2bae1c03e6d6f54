#!/usr/bin/env bash
# Draws the program's pictures into pictures/ with ImageMagick (convert).
# The results are committed; run again only to change a picture.
set -euo pipefail
cd "$(dirname "$0")/../pictures"

sans=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
sansBold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
serifBold=/usr/share/fonts/truetype/liberation/LiberationSerif-Bold.ttf
mono=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf

# Splash logo, 165 x 152, black and white: a person at a desk before a computer.
convert -size 165x152 xc:white -fill none -stroke black -strokewidth 4 \
  -draw "line 8,104 157,104" \
  -draw "line 20,104 20,146" -draw "line 145,104 145,146" \
  -draw "rectangle 86,38 148,84" \
  -fill black -draw "rectangle 92,44 142,78" -fill none \
  -draw "line 117,84 117,96" -draw "line 100,98 134,98" \
  -draw "line 64,100 100,100" \
  -draw "circle 42,34 42,50" \
  -draw "line 42,50 36,94" \
  -draw "polyline 40,60 62,80 78,96" \
  -draw "polyline 36,94 66,96 70,138" \
  -draw "polyline 18,72 24,116 56,116" -draw "line 26,116 26,146" -draw "line 52,116 52,146" \
  -monochrome -define png:bit-depth=1 splash_logo.png

# About background, 400 x 300 JPEG: a wafer prober beside an error-log sheet
# seen through a magnifying glass.
convert -size 400x300 gradient:'#f4f1e6-#cfd8e4' \
  -stroke '#404850' -strokewidth 2 \
  -fill '#9aa7b4' -draw "rectangle 18,150 150,262" \
  -fill '#7b8896' -draw "rectangle 30,96 138,150" \
  -fill '#c9d2da' -draw "rectangle 42,106 126,140" \
  -fill '#5d6873' -draw "rectangle 66,150 102,176" \
  -fill '#d8c27a' -draw "ellipse 84,182 40,8 0,360" \
  -fill '#2f3a44' -draw "rectangle 34,200 134,216" \
  -fill '#39d353' -draw "circle 44,230 48,230" -fill '#e0b030' -draw "circle 58,230 62,230" \
  -fill '#e04040' -draw "circle 72,230 76,230" \
  -fill '#4a545e' -draw "rectangle 24,262 40,276" -draw "rectangle 128,262 144,276" \
  -fill white -stroke '#707070' -strokewidth 1 -draw "rectangle 182,28 382,272" \
  -fill '#800000' -stroke none -font "$sansBold" -pointsize 11 -draw "text 196,48 'EG Commander Error Log'" \
  -stroke '#b8c0c8' -strokewidth 1 \
  -draw "line 192,58 372,58" \
  -fill '#303030' -stroke none -font "$mono" -pointsize 8 \
  -draw "text 192,72 'Date      Time     Error'" \
  -draw "text 192,84 '03/14/26  08:12:05 Chuck vacuum lost'" \
  -draw "text 192,96 '03/14/26  08:40:51 Probe card not seated'" \
  -draw "text 192,108 '03/14/26  09:02:17 Chuck vacuum lost'" \
  -draw "text 192,120 '03/14/26  09:15:44 Wafer not found'" \
  -draw "text 192,132 '03/14/26  10:01:09 Chuck vacuum lost'" \
  -draw "text 192,144 '03/14/26  10:33:28 Z height limit'" \
  -draw "text 192,156 '03/14/26  11:20:02 Chuck vacuum lost'" \
  -draw "text 192,168 '03/14/26  11:48:36 Wafer not found'" \
  -draw "text 192,180 '03/14/26  12:05:13 Probe card not seated'" \
  -draw "text 192,192 '03/14/26  12:59:50 Chuck vacuum lost'" \
  -draw "text 192,204 '03/14/26  13:17:22 Z height limit'" \
  -draw "text 192,216 '03/14/26  14:02:45 Chuck vacuum lost'" \
  -fill '#d0e8ff50' -stroke '#3a3a3a' -strokewidth 7 -draw "circle 300,132 300,186" \
  -stroke '#5a3a1a' -strokewidth 12 -draw "line 338,172 372,214" \
  -fill white -colorize 45% \
  -quality 90 about_background.jpg

# "Powered by" picture, 190 x 71, 256 colours.
convert -size 190x71 gradient:'#ffffff-#dde6f0' \
  -fill none -stroke '#41cd52' -strokewidth 3 -draw "roundrectangle 2,2 187,68 10,10" \
  -stroke none -fill '#404040' -font "$sans" -pointsize 12 -draw "text 14,22 'Built with'" \
  -fill '#00599c' -font "$sansBold" -pointsize 26 -draw "text 14,54 'C++'" \
  -fill '#404040' -pointsize 26 -draw "text 80,54 '/'" \
  -fill '#41cd52' -pointsize 26 -draw "text 104,54 'Qt'" \
  -fill '#41cd52' -draw "circle 164,40 164,52" -fill white -draw "circle 164,40 164,47" \
  -colors 256 PNG8:powered_by.png

# Exit door, 16 x 16, and its greyed variant for the disabled button.
convert -size 16x16 xc:none \
  -fill '#7a4a1e' -stroke '#3c2410' -strokewidth 1 -draw "rectangle 3,1 12,14" \
  -fill '#ffffff' -stroke none -draw "polygon 9,2 12,1 12,14 9,15" \
  -fill '#a86a30' -stroke '#3c2410' -draw "polygon 3,1 9,3 9,15 3,14" \
  -fill '#f0d040' -stroke none -draw "rectangle 7,8 8,9" \
  exit_door.png
convert exit_door.png -channel RGB -colorspace Gray -level 0%,100%,1.8 +channel \
  -channel A -evaluate multiply 0.6 +channel exit_door_disabled.png
