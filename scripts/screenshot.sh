#!/usr/bin/env bash
# Starts Kinora on the demo library under Xvfb, saves a picture of the main window as
# build/screenshot.png and of the statistics window as build/screenshot-statistik.png, then
# once more at scale 2 on a 1920 x 1080 screen (build/screenshot@2x*.png: twice the pixels; the
# window must fit that screen); then exports the demo library as a web page and saves pictures
# of it in headless Chromium, as on a screen and on a phone (build/screenshot-webseite-*.png).
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
  rm -f "$out" "${out%.png}-statistik.png"
  KINORA_HOME="$demo" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
    timeout 60 xvfb-run -a -s "-screen 0 ${screen}x24" "$build/kinora" --screenshot="$out"
  [ -s "$out" ] || { echo "screenshot: no picture was saved" >&2; exit 1; }
  [ -s "${out%.png}-statistik.png" ] || { echo "screenshot: no picture of the statistics" >&2; exit 1; }
  echo "Saved $out and ${out%.png}-statistik.png"
done
out="$PWD/$build/screenshot.png"
web="$PWD/$build/screenshot-webseite"
rm -rf "$web" "$web-profil"
KINORA_HOME="$demo" "$build/kinora-cli" export --format html --output "$web" >/dev/null
# The same page with the first film's details open, for the picture.
sed 's|</body>|<script src="vorschau.js"></script></body>|' "$web/index.html" >"$web/vorschau.html"
echo "addEventListener('load', function () { document.querySelector('#filme tr').click(); });" \
  >"$web/vorschau.js"
for size in 1100,640 390,700; do
  timeout 60 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --user-data-dir="$web-profil" --window-size=$size \
    --screenshot="${out%.png}-webseite-${size%%,*}.png" "file://$web/vorschau.html" 2>/dev/null
  [ -s "${out%.png}-webseite-${size%%,*}.png" ] || { echo "screenshot: no picture of the web page" >&2; exit 1; }
done
rm -rf "$web-profil"
echo "Saved ${out%.png}-webseite-*.png"
