#!/bin/sh
# Runs a window test on an X server of its own with a fixed screen, so that the program's
# maximised window has a known size, and with a runtime folder of its own, as a desktop session
# has. Exit code 77 (the test is skipped) when a tool is missing.
# -noreset: by default the server resets when its last client leaves, and a client that connects
# during the reset is refused ("could not connect to display"); a test that starts the program
# twice, or a tool and then the program, hit that about once in a few runs.
for tool in xvfb-run xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "e2e: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
XDG_RUNTIME_DIR=$(mktemp -d) || exit 1
export XDG_RUNTIME_DIR QT_QPA_PLATFORM=xcb
status=0
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$@" || status=$?
rm -rf "$XDG_RUNTIME_DIR"
exit $status
