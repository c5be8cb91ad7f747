#!/usr/bin/env bash
# Draws the program's icons and bitmaps with ImageMagick; the results are committed beside it,
# so the build never needs ImageMagick. Run again after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dialog_blue='rgb(160,180,220)'   # the dialog's background, so the logo sits on it without a frame
ink='rgb(10,70,40)'              # the colour of the version label
gold='rgb(236,190,60)'

# A rounded tile with a white "T" and a small gold rune, drawn large and scaled down.
tile() {  # tile <background> <out.png>
  convert -size 256x256 "xc:$1" \
    -fill "$ink" -draw 'roundrectangle 12,12 243,243 40,40' \
    -fill white -draw 'rectangle 56,52 199,84' -draw 'rectangle 112,52 143,204' \
    -fill "$gold" -draw 'polygon 186,150 212,176 186,202 160,176' \
    "$2"
}

tile none "$work/icon.png"
convert "$work/icon.png" -define icon:auto-resize=48,32,16 setup.ico

# Resource 128: the same tile in reverse colours.
convert "$work/icon.png" -channel RGB -negate +channel -define icon:auto-resize=48,32,16 setup_alt.ico

# Bitmap 147: the logo in the dialog's 43 x 43 dialog-unit frame (about 64 pixels at 96 dpi).
tile "$dialog_blue" "$work/logo.png"
convert "$work/logo.png" -resize 64x64 -type TrueColor BMP3:logo.bmp

# Bitmap 152: a sketch of the submenus the add-in adds to AutoCAD's menu bar.
convert -size 308x176 xc:white \
  -fill 'rgb(225,225,225)' -draw 'rectangle 0,0 307,20' \
  -fill "$ink" -draw 'rectangle 200,0 264,20' \
  -fill 'rgb(245,245,245)' -stroke 'rgb(150,150,150)' -draw 'rectangle 200,20 300,170' \
  -stroke none -fill 'rgb(120,120,120)' \
  -draw 'rectangle 8,7 40,13' -draw 'rectangle 56,7 88,13' -draw 'rectangle 104,7 136,13' \
  -draw 'rectangle 152,7 184,13' -fill white -draw 'rectangle 212,7 252,13' \
  -fill 'rgb(90,90,90)' \
  -draw 'rectangle 212,32 290,38' -draw 'rectangle 212,52 280,58' -draw 'rectangle 212,72 286,78' \
  -draw 'rectangle 212,92 270,98' -draw 'rectangle 212,112 288,118' -draw 'rectangle 212,132 276,138' \
  -draw 'rectangle 212,152 284,158' \
  -colors 16 -type Palette BMP3:submenus.bmp
