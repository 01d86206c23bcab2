#!/bin/sh
# WindowIcon.sh KELVO PACKAGE, run by run-under-xvfb.sh: the program's window and its about dialog
# (opened from the bottom panel of the menu, 583 pixels down on the 1024 x 768 screen) carry Kelvo's
# own icon (_NET_WM_ICON) at the sizes task bars and window switchers use, 16 to 128 pixels.
kelvo=$1
package=$2
status=0

check_icon() {
  # The main window gets its icon a moment after its first paint: waited for, up to ten seconds.
  for _ in $(seq 1 50); do
    icon=$(xprop -id "$1" _NET_WM_ICON 2>&1)
    printf '%s\n' "$icon" | grep -q "Icon (" && break
    sleep 0.2
  done
  for side in 16 24 32 48 64 128; do
    if ! printf '%s\n' "$icon" | grep -q "Icon ($side x $side)"; then
      echo "window-icon: no ${side}x${side} icon on the $2"
      status=1
    fi
  done
}

"$kelvo" "$package" &
pid=$!
main=$(timeout 90 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
if [ -z "$main" ]; then
  echo "window-icon: no window of kelvo appeared"
  kill "$pid"
  exit 1
fi
check_icon "$main" "main window"

dialog=
for _ in $(seq 1 40); do
  xdotool mousemove 512 583 click 1
  sleep 0.5
  for window in $(xdotool search --onlyvisible --pid "$pid"); do
    [ "$window" = "$main" ] || dialog=$window
  done
  [ -z "$dialog" ] || break
done
if [ -n "$dialog" ]; then
  check_icon "$dialog" "about dialog"
else
  echo "window-icon: the about dialog did not open"
  status=1
fi
kill "$pid"
wait "$pid"
exit $status
