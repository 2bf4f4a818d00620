#!/usr/bin/env bash
# Starts the local film site and Kinora on the demo library (build/demo), which is filled
# with films imported from the site on first run. The site stops when Kinora ends.
set -euo pipefail
build=${1:-build}
port=${2:-8437}
demo="$PWD/$build/demo"
mkdir -p "$demo"
source scripts/filmsite.sh
start_filmsite "$build" "$port"
bash scripts/prepare-demo.sh "$build" "$demo"
export KINORA_HOME="$demo"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG
No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the main window cannot open.
Run "make run" in a desktop session, or with a forwarded X display (ssh -X).
Without a display, "make screenshot" saves a picture of the main window ($build/screenshot.png)
taken under Xvfb, and the demo library as kinora-cli lists it is:
MSG
  "$build/kinora-cli" list | cut -c1-120
  exit 0
fi
"$build/kinora"
