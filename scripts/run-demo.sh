#!/usr/bin/env bash
# Starts Kinora on the demo library (build/demo), with the local film site when it is built.
set -euo pipefail
build=${1:-build}
port=${2:-8437}
demo="$PWD/$build/demo"
mkdir -p "$demo"
export KINORA_HOME="$demo"
# The local demo film site, for the import wizard; it ends with this script.
if [ -x "$build/kinora-filmsite" ]; then
  "$build/kinora-filmsite" --port "$port" >"$build/filmsite.log" 2>&1 &
  site_pid=$!
  trap 'kill "$site_pid" 2>/dev/null || true' EXIT
  export KINORA_SITE_URL="http://127.0.0.1:$port/"
  echo "Demo film site: $KINORA_SITE_URL (log: $build/filmsite.log)"
fi
if [ ! -x "$build/kinora" ]; then
  echo "The main window is not built yet; the demo library as kinora-cli lists it:"
  "$build/kinora-cli" list
  exit 0
fi
"$build/kinora"
