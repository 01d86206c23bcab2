#!/usr/bin/env bash
# Renews the README's screenshots (docs/screenshots/*.png) from the demo lab work as the program
# shows it now: the end-to-end run saves the pages it passes, and the about dialog is opened here.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/build.sh "$here/build" -DKELVO_BUILD_TESTS=ON
out="$here/docs/screenshots"
mkdir -p "$out"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

KELVO_SCREENSHOT_DIR="$out" KELVO_BINARY="$here/build/bin/kelvo" \
  KELVO_DEMO_PACKAGE="$here/build/examples/demo.lwz" KELVO_DEMO_SOURCE="$here/examples/demo" \
  tests/e2e/run-under-xvfb.sh "$here/build/tests/e2e/e2e_tst_demowindow"

# The about dialog opens from the bottom panel of the menu, 583 pixels down on a 1024 x 768 screen.
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" bash -c '
  "$1" "$2" & pid=$!
  sleep 5
  xdotool mousemove 512 583 click 1
  sleep 1
  import -window root "$3"
  kill "$pid"; wait "$pid" 2>/dev/null || true
' _ "$here/build/bin/kelvo" "$here/build/examples/demo.lwz" "$out/about.png"
ls -1 "$out"
