#!/usr/bin/env bash
# Starts Kinora on the demo library under Xvfb and saves a picture of the main window as
# build/screenshot.png, then once more at scale 2 on a 1920 x 1080 screen as
# build/screenshot@2x.png (twice the pixels; the window must fit that screen), and ends.
set -euo pipefail
build=${1:-build}
demo="$PWD/$build/demo"
mkdir -p "$demo"
source scripts/filmsite.sh
start_filmsite "$build" "${2:-8437}"
bash scripts/prepare-demo.sh "$build" "$demo"
for scale in 1 2; do
  out="$PWD/$build/screenshot.png" screen=1280x800
  [ "$scale" = 1 ] || out="$PWD/$build/screenshot@${scale}x.png" screen=1920x1080
  rm -f "$out"
  KINORA_HOME="$demo" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
    timeout 60 xvfb-run -a -s "-screen 0 ${screen}x24" "$build/kinora" --screenshot="$out"
  [ -s "$out" ] || { echo "screenshot: no picture was saved" >&2; exit 1; }
  echo "Saved $out"
done
