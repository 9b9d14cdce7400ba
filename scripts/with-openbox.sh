#!/usr/bin/env bash
# Runs a command on the current X display under the openbox window manager, so that windows are
# framed, placed and activated as on a desktop. Waits until openbox has taken the screen before
# starting the command, and ends openbox after it.
set -euo pipefail
: "${DISPLAY:?with-openbox.sh needs an X display}"

log=$(mktemp)
openbox --sm-disable >"$log" 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; rm -f "$log"' EXIT

# A window manager announces itself on the root window once it manages the screen.
for _ in $(seq 1 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  kill -0 "$wm" 2>/dev/null || { echo "openbox did not start on $DISPLAY:" >&2; cat "$log" >&2; exit 1; }
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || { echo "openbox did not take the screen" >&2; exit 1; }

"$@"
