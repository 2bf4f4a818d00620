#!/usr/bin/env bash
# Starts Kinora on the demo library (build/demo), with the local film site when it is built.
set -euo pipefail
build=${1:-build}
port=${2:-8437}
demo="$PWD/$build/demo"
mkdir -p "$demo"
export KINORA_HOME="$demo"
if [ ! -x "$build/kinora" ]; then
  echo "The main window is not built yet; the demo library as kinora-cli lists it:"
  "$build/kinora-cli" list
  exit 0
fi
exec "$build/kinora"
