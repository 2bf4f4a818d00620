#!/usr/bin/env bash
# Starts Kinora on the demo library (build/demo), filled with invented films on first run,
# together with the local demo film site for the import wizard.
set -euo pipefail
build=${1:-build}
port=${2:-8437}
demo="$PWD/$build/demo"
mkdir -p "$demo"
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
# The local demo film site, for the import wizard; it ends with this script.
if [ -x "$build/kinora-filmsite" ]; then
  "$build/kinora-filmsite" --port "$port" >"$build/filmsite.log" 2>&1 &
  site_pid=$!
  trap 'kill "$site_pid" 2>/dev/null || true' EXIT
  export KINORA_SITE_URL="http://127.0.0.1:$port/"
  echo "Demo film site: $KINORA_SITE_URL (log: $build/filmsite.log)"
fi
"$build/kinora"
