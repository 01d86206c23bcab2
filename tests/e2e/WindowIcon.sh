#!/bin/sh
# WindowIcon.sh KELVO PACKAGE, run by run-under-xvfb.sh: the program's window carries Kelvo's own
# icon (_NET_WM_ICON) at the sizes task bars and window switchers use, 16 to 128 pixels; the
# dialogs take the application's icon from it.
kelvo=$1
package=$2
"$kelvo" "$package" &
pid=$!
window=$(timeout 90 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
icon=$(xprop -id "$window" _NET_WM_ICON 2>&1)
kill "$pid"
wait "$pid"
if [ -z "$window" ]; then
  echo "window-icon: no window of kelvo appeared"
  exit 1
fi
status=0
for side in 16 24 32 48 64 128; do
  if ! printf '%s\n' "$icon" | grep -q "Icon ($side x $side)"; then
    echo "window-icon: no ${side}x${side} icon on the window"
    status=1
  fi
done
[ $status -eq 0 ] || printf '%s\n' "$icon" | head -n 3
exit $status
