#!/usr/bin/env bash
# Renders the program's own icons with ImageMagick: drawn at 64x64 (256x256 for the program
# icon) and scaled down, so the 16x16 images keep smooth edges. The PNGs are committed; run
# this again only after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"
command -v convert >/dev/null || { echo "ImageMagick's convert is needed" >&2; exit 1; }

draw() {  # draw OUTPUT SIZE DRAW-ARGS...
  local out=$1 size=$2; shift 2
  convert -size 64x64 xc:none "$@" -filter Lanczos -resize "${size}x${size}" \
    -define png:exclude-chunks=date,time -strip "PNG32:$out"
}

green='#2e8b3e'; blue='#2f62c8'; dark='#404850'; gold='#f2b705'

# Tool bar images, by index.
# 0: reload, a page with two green arrows circling.
draw tool0-reload.png 16 \
  -fill white -stroke '#707070' -strokewidth 3 -draw "polygon 10,4 40,4 52,16 52,60 10,60" \
  -fill '#d8d8d8' -draw "polygon 40,4 40,16 52,16" \
  -fill none -stroke "$green" -strokewidth 7 -draw "arc 14,18 50,54 200,340" \
  -draw "arc 14,18 50,54 20,160" \
  -stroke none -fill "$green" -draw "polygon 42,14 60,24 44,34" -draw "polygon 22,58 4,48 20,38"
# 1: general settings, a gear.
draw tool1-settings.png 16 \
  -fill '#6b7280' -stroke '#3d434c' -strokewidth 2 -draw "translate 32,32 circle 0,0 0,21" \
  -stroke none -draw "translate 32,32 rotate 0 rectangle -6,-30 6,30" \
  -draw "translate 32,32 rotate 45 rectangle -6,-30 6,30" \
  -draw "translate 32,32 rotate 90 rectangle -6,-30 6,30" \
  -draw "translate 32,32 rotate 135 rectangle -6,-30 6,30" \
  -fill white -stroke '#3d434c' -strokewidth 2 -draw "translate 32,32 circle 0,0 0,9"
# 2: help, a question mark over an open book.
draw tool2-help.png 16 \
  -fill white -stroke "$blue" -strokewidth 3 \
  -draw "polygon 4,40 32,46 32,62 4,56" -draw "polygon 60,40 32,46 32,62 60,56" \
  -fill none -stroke "$blue" -strokewidth 7 -draw "arc 20,3 44,27 180,400" \
  -draw "line 40,24 33,30" -draw "line 33,30 33,35" \
  -stroke none -fill "$blue" -draw "circle 32,42 32,38"
# 3: stay on top, a blue ring.
draw tool3-ontop.png 16 \
  -fill none -stroke "$blue" -strokewidth 11 -draw "circle 32,32 32,9"
# 4: version information, a computer.
draw tool4-version.png 16 \
  -fill '#c9ced6' -stroke "$dark" -strokewidth 3 -draw "roundrectangle 4,4 60,44 5,5" \
  -fill '#3f86d6' -stroke none -draw "rectangle 11,11 53,37" \
  -fill '#c9ced6' -stroke "$dark" -strokewidth 3 -draw "polygon 26,44 38,44 42,54 22,54" \
  -draw "roundrectangle 10,54 54,61 3,3"
# 5: add bookmark, a star.
star="32,3 40,23 61,24 45,38 50,59 32,47 14,59 19,38 3,24 24,23"
draw tool5-bookmark.png 16 \
  -fill "$gold" -stroke '#9a6b00' -strokewidth 3 -draw "polygon $star"

# Tree images, by index.
# 0: bookmark node, a blue book with a green arrow.
draw node0-bookmark.png 16 \
  -fill "$blue" -stroke '#1c3e82' -strokewidth 3 -draw "roundrectangle 6,4 44,60 4,4" \
  -fill white -stroke none -draw "rectangle 12,10 38,14" \
  -fill "$green" -stroke '#1b5e27' -strokewidth 2 \
  -draw "polygon 28,30 46,30 46,20 62,38 46,56 46,46 28,46"
# 1: workbook, two stacked green sheets.
draw node1-book.png 16 \
  -fill '#b9dcc0' -stroke "$green" -strokewidth 3 -draw "rectangle 16,4 60,48" \
  -fill white -draw "rectangle 4,16 48,60" \
  -fill "$green" -stroke none -draw "rectangle 4,16 48,26" \
  -stroke "$green" -strokewidth 2 -draw "line 4,38 48,38" -draw "line 4,49 48,49" \
  -draw "line 20,26 20,60" -draw "line 34,26 34,60"
# 2: worksheet, a sheet with a grid.
draw node2-sheet.png 16 \
  -fill white -stroke '#5a6470' -strokewidth 3 -draw "rectangle 6,6 58,58" \
  -stroke '#8fbf97' -strokewidth 2 \
  -draw "line 6,19 58,19" -draw "line 6,32 58,32" -draw "line 6,45 58,45" \
  -draw "line 23,6 23,58" -draw "line 40,6 40,58" \
  -fill "$green" -stroke none -draw "rectangle 8,8 22,18"
# 3: bookmark root, a star.
draw node3-root.png 16 \
  -fill '#f7c948' -stroke '#b7791f' -strokewidth 3 -draw "polygon $star"

# Program icon: a green tile with a sheet and a gold star, drawn at 256x256; 64 and 128 are
# for the desktop's icon theme only.
app="fill '$green' stroke none roundrectangle 2,2 61,61 12,12
fill white rectangle 12,12 44,52
stroke '#8fbf97' stroke-width 2 line 12,25 44,25 line 12,38 44,38 line 28,12 28,52
fill '$gold' stroke '#9a6b00' stroke-width 2
push graphic-context translate 40,38 scale 0.45,0.45 translate -32,-32 polygon $star
pop graphic-context"
for s in 16 32 48 64 128 256; do
  convert -size 256x256 xc:none -draw "push graphic-context scale 4,4 $app pop graphic-context" \
    -filter Lanczos -resize "${s}x${s}" -define png:exclude-chunks=date,time -strip "PNG32:app-$s.png"
done
echo "icons rendered in $(pwd)"
