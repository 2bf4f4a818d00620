#!/usr/bin/env bash
# Draws Kinora's own pictures into resources/ with ImageMagick, each once as designed and once
# at twice the size as "name@2x.png" for screens at scale 2 (Qt takes the @2x file there). The
# PNGs are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")/../resources"

# A film reel: a disc with a hub and five round windows, centred at (cx, cy) with radius r.
reel() {
  local cx=$1 cy=$2 r=$3 fill=$4 hole=$5
  local s="fill $fill circle $cx,$cy $((cx + r)),$cy fill $hole circle $cx,$cy $((cx + r / 7)),$cy"
  local a
  for a in 90 162 234 306 18; do
    local hx hy
    hx=$(awk -v c="$cx" -v r="$r" -v a="$a" 'BEGIN{printf "%d", c + 0.55*r*cos(a*3.14159265/180)}')
    hy=$(awk -v c="$cy" -v r="$r" -v a="$a" 'BEGIN{printf "%d", c - 0.55*r*sin(a*3.14159265/180)}')
    s="$s circle $hx,$hy $((hx + r / 4)),$hy"
  done
  echo "$s"
}

# Every picture is drawn in the coordinates of its designed size; $scale multiplies the canvas
# and every drawing, so the @2x picture has the same shapes with twice the detail.
scale=1
size() { echo "$(($1 * scale))x$(($2 * scale))"; }
draw() { echo "scale $scale,$scale $*"; }

for scale in 1 2; do
  at=""
  [ "$scale" = 1 ] || at="@${scale}x"

  # Splash (only its top 220 pixels show): night-blue gradient, a reel on the left, a strip of
  # film across the window above the version line.
  convert -size "$(size 375 370)" gradient:'#1b2a4a'-'#4a2150' \
    -fill '#00000055' -draw "$(draw "rectangle 0,150 375,196")" \
    -draw "$(draw "$(reel 92 72 58 '#d9c27a' '#1b2a4a')")" \
    -fill '#d9c27a' -draw "$(draw "rectangle 89,128 95,150")" \
    -fill '#f2f2f2' -draw "$(draw "$(for x in $(seq 6 22 370); do echo "rectangle $x,154 $((x + 12)),161 rectangle $x,185 $((x + 12)),192 "; done)")" \
    -fill '#7da7d9' -draw "$(draw "rectangle 10,165 80,181")" -fill '#d98c7d' -draw "$(draw "rectangle 92,165 162,181")" \
    -fill '#9dd97d' -draw "$(draw "rectangle 174,165 244,181")" -fill '#d9d27d' -draw "$(draw "rectangle 256,165 326,181")" \
    -fill '#c0c0ff' -draw "$(draw "rectangle 338,165 375,181")" \
    "splash$at.png"

  # Info strip: a vertical film strip with three coloured frames and a small reel.
  convert -size "$(size 154 294)" gradient:'#22304f'-'#3b1d45' \
    -fill '#111111' -draw "$(draw "rectangle 30,0 124,294")" \
    -fill '#f2f2f2' -draw "$(draw "$(for y in $(seq 4 18 290); do echo "rectangle 34,$y 42,$((y + 9)) rectangle 112,$y 120,$((y + 9)) "; done)")" \
    -fill '#7da7d9' -draw "$(draw "rectangle 48,14 106,72")" -fill '#d98c7d' -draw "$(draw "rectangle 48,82 106,140")" \
    -fill '#9dd97d' -draw "$(draw "rectangle 48,150 106,208")" \
    -draw "$(draw "$(reel 77 250 30 '#d9c27a' '#111111')")" \
    "info$at.png"

  # Program icon: the reel on a transparent square.
  convert -size "$(size 64 64)" xc:none -draw "$(draw "$(reel 32 32 30 '#d9c27a' '#1b2a4a')")" \
    -fill none -stroke '#8a6d1f' -strokewidth "$((2 * scale))" -draw "$(draw "circle 32,32 62,32")" \
    "kinora$at.png"

  # List row icon: a small film frame with sprocket holes.
  convert -size "$(size 16 16)" xc:none -fill '#333a4d' -draw "$(draw "roundrectangle 1,2 14,13 2,2")" \
    -fill '#f2f2f2' -draw "$(draw "rectangle 3,3 4,4 rectangle 7,3 8,4 rectangle 11,3 12,4 rectangle 3,11 4,12 rectangle 7,11 8,12 rectangle 11,11 12,12")" \
    -fill '#7da7d9' -draw "$(draw "rectangle 3,6 12,9")" \
    "film16$at.png"
done
