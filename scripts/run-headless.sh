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

# shellcheck source=lib/desktop.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/desktop.sh"

missing=$(missing_programs Xvfb openbox xdotool dbus-daemon "$build/tivora" "$standin")
if [ -n "$missing" ]; then
  echo "Cannot run without a display, missing: $missing" >&2
  exit 1
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tivora-headless.XXXXXX")
relay='' bar=''
cleanup() {
  # The bar first, so that it ends in its orderly way while its display and bus are still there.
  for pid in $bar $relay; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  desktop_stop
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# -br: a plain black screen around the bar.
export DESKTOP_DETACH=1
desktop_start_x "$dir" -br || exit 1
export QT_QPA_PLATFORM=xcb
desktop_start_wm "$dir" || exit 1
desktop_start_bus "$dir" || exit 1
desktop_start_standin "$dir" "$standin" || exit 1
tray=${desktop_pids[-1]}  # the stand-in, started last
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
if desktop_wait_until "$bar" "the bar" find_bar; then
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
    desktop_wait_until "$bar" "the drop-down" opened || echo "The drop-down did not open" >&2
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
