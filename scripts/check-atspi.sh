#!/usr/bin/env bash
# Starts Kinora on the demo library under Xvfb with its own session and accessibility bus,
# lists through AT-SPI what a screen reader hears of the main window and of the dialogs
# opened from its menu (scripts/check-atspi.py), and ends the program.
# Needs xvfb, xdotool, at-spi2-core and python3-pyatspi.
set -euo pipefail
build=${1:-build}
if [ -z "${KINORA_ATSPI_INNER:-}" ]; then
  demo="$PWD/$build/demo"
  mkdir -p "$demo"
  source scripts/filmsite.sh
  start_filmsite "$build" "${2:-8437}"
  bash scripts/prepare-demo.sh "$build" "$demo"
  KINORA_HOME="$demo" KINORA_ATSPI_INNER=1 QT_QPA_PLATFORM=xcb \
    timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$build"
  exit
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build/kinora" &
kinora=$!
trap 'kill "$kinora" "$launcher" 2>/dev/null || true' EXIT
sleep 4
status=0
check() { # title, then the menu item that opens the window from the main window
  echo "### $1"
  if [ $# -gt 1 ]; then
    /usr/bin/python3 scripts/check-atspi.py --press "$2" &
    presser=$!
    sleep 2
  fi
  /usr/bin/python3 scripts/check-atspi.py || status=1
  if [ $# -gt 1 ]; then
    xdotool key Escape
    wait "$presser" || status=1
  fi
}
check "Hauptfenster"
check "Info" Info
check "Assistent" Assistent
xdotool key Down # a film selected for the editor
check "Bearbeiten" Bearbeiten
exit $status
