#!/usr/bin/env bash
# Starts Kinora on the demo library under Xvfb, saves a picture of the main window as
# build/screenshot.png, of the statistics window as build/screenshot-statistik.png, and ends
# the program.
set -euo pipefail
build=${1:-build}
demo="$PWD/$build/demo"
mkdir -p "$demo"
source scripts/filmsite.sh
start_filmsite "$build" "${2:-8437}"
bash scripts/prepare-demo.sh "$build" "$demo"
out="$PWD/$build/screenshot.png"
rm -f "$out" "${out%.png}-statistik.png"
KINORA_HOME="$demo" QT_QPA_PLATFORM=xcb \
  timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" "$build/kinora" --screenshot="$out"
[ -s "$out" ] || { echo "screenshot: no picture was saved" >&2; exit 1; }
[ -s "${out%.png}-statistik.png" ] || { echo "screenshot: no picture of the statistics" >&2; exit 1; }
echo "Saved $out and ${out%.png}-statistik.png"
