#!/usr/bin/env bash
# The X display of the Windows tests that open windows: Xvfb on a display number it picks itself,
# with a window manager (openbox), so windows are framed, placed and focused as on a desktop.
# wine-run.sh gives it to the programs it runs from the same state folder (STATE_DIR/display).
#   x-display.sh start STATE_DIR    prints SKIPPED and does nothing when Xvfb or openbox is missing
#   x-display.sh stop STATE_DIR
set -uo pipefail
action=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
dir="$state/x"

# shellcheck source=tests/support/script_helpers.sh
. "$(dirname "$0")/../support/script_helpers.sh"

stop() {
  rm -f "$state/display"
  # The programs of the prefix go with their display.
  WINEPREFIX="$state/prefix" wineserver -k 2>/dev/null
  stop_pidfile "$dir/openbox.pid"
  stop_pidfile "$dir/xvfb.pid"
  return 0
}

start_or_stop "$action"
needs_tools "the Windows window tests need an X display" Xvfb openbox xprop
stop  # what an interrupted run left behind
rm -rf "$dir"
mkdir -p "$dir"

# Xvfb writes the number it took to the file once it accepts connections. Nothing of the servers
# holds CTest's output open, or CTest would wait for them.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 \
  3>"$dir/number" &
echo $! >"$dir/xvfb.pid"
for _ in $(seq 100); do
  [ -s "$dir/number" ] && break
  sleep 0.1
done
if [ ! -s "$dir/number" ]; then
  echo "Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
  stop
  exit 1
fi
display=":$(tr -d '[:space:]' <"$dir/number")"
DISPLAY=$display openbox --sm-disable </dev/null >"$dir/openbox.log" 2>&1 &
echo $! >"$dir/openbox.pid"
for _ in $(seq 100); do
  DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
if ! DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "openbox did not start on $display: $(cat "$dir/openbox.log")" >&2
  stop
  exit 1
fi
echo "$display" >"$state/display"
echo "X display $display with openbox"
