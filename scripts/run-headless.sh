#!/usr/bin/env bash
# Runs the bar where there is no display: on a virtual X server (Xvfb on a free display) with
# openbox as its window manager and a private session bus served a tray host and a notification
# server by tivora-desktop-standin. Once the bar is up it opens its drop-down with a click on the
# all-games button, writes a screenshot of the screen and names the file, then goes on running
# until Ctrl+C or until the bar ends; everything it started is ended with it.
#
# Usage: scripts/run-headless.sh BUILD_DIR [ARGS...]   (ARGS go to tivora)
#   TIVORA_SCREENSHOT=FILE  where the screenshot goes (default BUILD_DIR/run-screenshot.png)
#   TIVORA_RUN_ONCE=1       end the bar and everything else right after the screenshot
set -u

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [ARGS...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
shift
screenshot=${TIVORA_SCREENSHOT:-$build/run-screenshot.png}
standin="$build/tivora-desktop-standin"

missing=()
for program in Xvfb openbox xdotool dbus-daemon; do
  command -v "$program" >/dev/null 2>&1 || missing+=("$program")
done
for program in "$build/tivora" "$standin"; do
  [ -x "$program" ] || missing+=("$program")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "Cannot run without a display, missing: ${missing[*]}" >&2
  exit 1
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tivora-headless.XXXXXX")
xvfb= wm= bus= tray= relay= bar=
cleanup() {
  # The bar first, so that it ends in its orderly way while its display and bus are still there.
  for pid in $bar $relay $tray $bus $wm $xvfb; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Waits up to 20 s for a command to succeed, giving up early when the process named goes.
wait_until() {
  local pid=$1 what=$2
  shift 2
  for _ in $(seq 400); do
    "$@" && return 0
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "$what ended before it was ready" >&2
      return 1
    fi
    sleep 0.05
  done
  echo "$what was not ready within 20 s" >&2
  return 1
}

# The helpers run in sessions of their own, away from the terminal: a Ctrl+C there must not end
# the display or the bus under the bar before the bar has ended in order.
# -displayfd: the server picks a free display and writes its number once it accepts clients.
# -br: a plain black screen around the bar.
setsid Xvfb -displayfd 3 -nolisten tcp -br -screen 0 1280x1024x24 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
wait_until "$xvfb" Xvfb test -s "$dir/display" || { cat "$dir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$dir/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# The window manager keeps its configuration in the session's folder, never in the user's, and
# takes its themes from the system's folders whatever the bar is given.
mkdir -p "$dir/wm/config" "$dir/wm/cache" "$dir/wm/data" "$dir/wm/state"
HOME="$dir/wm" XDG_CONFIG_HOME="$dir/wm/config" XDG_CACHE_HOME="$dir/wm/cache" \
  XDG_DATA_HOME="$dir/wm/data" XDG_STATE_HOME="$dir/wm/state" \
  XDG_CONFIG_DIRS=/etc/xdg XDG_DATA_DIRS=/usr/local/share:/usr/share \
  setsid openbox --sm-disable --startup "touch '$dir/wm-ready'" >"$dir/wm.log" 2>&1 &
wm=$!
wait_until "$wm" openbox test -e "$dir/wm-ready" || { cat "$dir/wm.log" >&2; exit 1; }

setsid dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$dir/bus" 2>"$dir/bus.log" &
bus=$!
wait_until "$bus" dbus-daemon test -s "$dir/bus" || { cat "$dir/bus.log" >&2; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$dir/bus")

setsid "$standin" >"$dir/tray" &
tray=$!
wait_until "$tray" tivora-desktop-standin grep -q '^ready$' "$dir/tray" || exit 1
# From here on what the tray shows (the update results) goes to the terminal.
tail -n +2 -f --pid="$tray" "$dir/tray" &
relay=$!

echo "Running the bar on the virtual display $DISPLAY"
"$build/tivora" "$@" &
bar=$!

# The bar's own window, once it is on screen (a bar hidden into the tray at its last exit
# stays there).
find_bar() {
  window=$(xdotool search --onlyvisible --pid "$bar" --name '^Toolbar main window$' 2>/dev/null |
    head -n 1)
  [ -n "$window" ]
}
window=
if wait_until "$bar" "the bar" find_bar; then
  X=0 Y=0 WIDTH=0
  while IFS='=' read -r name value; do
    [[ $value =~ ^-?[0-9]+$ ]] || continue
    case "$name" in
      X) X=$value ;;
      Y) Y=$value ;;
      WIDTH) WIDTH=$value ;;
    esac
  done < <(xdotool getwindowgeometry --shell "$window")
  # The all-games button sits at (269,24) in the normal bar; the mini bar has none.
  if [ "$WIDTH" -eq 357 ]; then
    count_windows() { xdotool search --onlyvisible --pid "$bar" '' 2>/dev/null | wc -l; }
    before=$(count_windows)
    xdotool mousemove --sync $((X + 275)) $((Y + 34)) click 1
    opened() { [ "$(count_windows)" -gt "$before" ]; }
    wait_until "$bar" "the drop-down" opened || echo "The drop-down did not open" >&2
  else
    echo "The bar is in its mini size: no drop-down to open" >&2
  fi
else
  echo "The bar is not on screen (hidden in the tray at its last exit?)" >&2
fi
if kill -0 "$bar" 2>/dev/null && "$standin" --screenshot "$screenshot"; then
  echo "Screenshot of the bar written to $screenshot"
else
  echo "No screenshot taken" >&2
  [ -n "${TIVORA_RUN_ONCE:-}" ] && exit 1
fi

if [ -n "${TIVORA_RUN_ONCE:-}" ]; then
  kill "$bar" 2>/dev/null
  status=0
  wait "$bar" || status=$?
  bar=
  exit "$status"
fi

echo "The bar runs until Ctrl+C"
status=0
wait "$bar" || status=$?
bar=
exit "$status"
