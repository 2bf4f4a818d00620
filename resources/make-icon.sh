#!/usr/bin/env bash
# Draws Kinora's info-file icon: a film disc with a strip of film across a night-blue tile.
# Writes KNR.png (256 x 256) and the multi-size KNR.ico beside this script. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"

convert -size 256x256 xc:none \
  -fill '#1d2b53' -draw 'roundrectangle 8,8 247,247 40,40' \
  -fill '#d8dde8' -stroke '#8a94a8' -strokewidth 4 -draw 'circle 128,120 128,26' \
  -fill '#b9c2d3' -stroke none -draw 'circle 128,120 128,62' \
  -fill '#1d2b53' -draw 'circle 128,120 128,104' \
  -fill '#e8a33d' -draw 'polygon 8,168 247,150 247,214 8,232' \
  -fill '#1d2b53' \
  -draw 'rectangle 24,186 40,200' -draw 'rectangle 60,184 76,198' \
  -draw 'rectangle 96,181 112,195' -draw 'rectangle 132,178 148,192' \
  -draw 'rectangle 168,175 184,189' -draw 'rectangle 204,172 220,186' \
  KNR.png

convert KNR.png -define icon:auto-resize=256,128,64,48,32,24,16 KNR.ico
