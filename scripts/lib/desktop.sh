# shellcheck shell=bash
# A desktop on a virtual X server, for the scripts that run the bar where there is none: Xvfb on
# a free display, openbox as its window manager, a private session bus, the tray host and
# notification server of tivora-desktop-standin, and the accessibility bus. Sourced, not run.
#
# Each desktop_start_* function starts one piece, waits until it is ready (20 s at most) and
# returns non-zero, with the piece's log on stderr, when it did not get there. desktop_stop ends
# every piece started, the newest first; call it from the sourcing script's EXIT trap.
# DESKTOP_DETACH=1 starts the pieces in sessions of their own (setsid), away from the terminal,
# so that a Ctrl+C there does not end the display or the bus under a bar still ending in order.

# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

desktop_pids=()

desktop_stop() {
  local i
  for ((i = ${#desktop_pids[@]} - 1; i >= 0; i--)); do
    kill "${desktop_pids[i]}" 2>/dev/null
    wait "${desktop_pids[i]}" 2>/dev/null
  done
  desktop_pids=()
}

# desktop_wait_until PID WHAT COMMAND...: runs COMMAND every 50 ms until it succeeds, for 20 s at
# most, giving up early when the process PID (named WHAT in the message) has ended.
desktop_wait_until() {
  local pid=$1 what=$2 status=0
  shift 2
  wait_until --pid "$pid" 20 "$@" || status=$?
  case $status in
    0) return 0 ;;
    2) echo "$what ended before it was ready" >&2 ;;
    *) echo "$what was not ready within 20 s" >&2 ;;
  esac
  return 1
}

# Run in the background (`_desktop_run PROGRAM... &`): the program takes the place of the
# background shell, so that $! is the program's own process id and the kill reaches it.
_desktop_run() {
  if [ "${DESKTOP_DETACH:-}" = 1 ]; then
    exec setsid "$@"
  fi
  exec "$@"
}

# desktop_start_x DIR [XVFB_ARGS...]: Xvfb on a free display (1280 x 1024); exports DISPLAY.
desktop_start_x() {
  local dir=$1
  shift
  # -displayfd: the server picks a free display and writes its number once it accepts clients.
  _desktop_run Xvfb -displayfd 3 -nolisten tcp "$@" -screen 0 1280x1024x24 \
    3>"$dir/display" 2>"$dir/xvfb.log" &
  desktop_pids+=($!)
  if ! desktop_wait_until $! Xvfb test -s "$dir/display"; then
    cat "$dir/xvfb.log" >&2
    return 1
  fi
  DISPLAY=":$(head -n 1 "$dir/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
}

# desktop_start_wm DIR: openbox on $DISPLAY, ready once it has taken the screen.
desktop_start_wm() {
  local dir=$1
  # Its configuration and caches stay in DIR, never in the user's folders, and its themes come
  # from the system's folders whatever the bar is given.
  mkdir -p "$dir/wm/config" "$dir/wm/cache" "$dir/wm/data" "$dir/wm/state"
  HOME="$dir/wm" XDG_CONFIG_HOME="$dir/wm/config" XDG_CACHE_HOME="$dir/wm/cache" \
    XDG_DATA_HOME="$dir/wm/data" XDG_STATE_HOME="$dir/wm/state" \
    XDG_CONFIG_DIRS=/etc/xdg XDG_DATA_DIRS=/usr/local/share:/usr/share \
    _desktop_run openbox --sm-disable --startup "touch '$dir/wm-ready'" >"$dir/wm.log" 2>&1 &
  desktop_pids+=($!)
  if ! desktop_wait_until $! openbox test -e "$dir/wm-ready"; then
    cat "$dir/wm.log" >&2
    return 1
  fi
}

# desktop_start_bus DIR: a private session bus; exports DBUS_SESSION_BUS_ADDRESS.
desktop_start_bus() {
  local dir=$1
  _desktop_run dbus-daemon --session --nofork --nopidfile --print-address=3 \
    3>"$dir/bus" 2>"$dir/bus.log" &
  desktop_pids+=($!)
  if ! desktop_wait_until $! dbus-daemon test -s "$dir/bus"; then
    cat "$dir/bus.log" >&2
    return 1
  fi
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$dir/bus")
  export DBUS_SESSION_BUS_ADDRESS
}

# desktop_start_standin DIR PROGRAM: tivora-desktop-standin on the session bus; what it prints
# (a "ready" line, then the notifications) goes to DIR/tray.
desktop_start_standin() {
  local dir=$1 program=$2
  _desktop_run "$program" >"$dir/tray" &
  desktop_pids+=($!)
  desktop_wait_until $! tivora-desktop-standin grep -q '^ready$' "$dir/tray"
}

# desktop_start_a11y DIR: the desktop's accessibility bus (at-spi-bus-launcher, which screen
# readers reach it through) on the session bus, switched on as a screen reader's user has it;
# ready once the launcher answers with the bus's address.
desktop_start_a11y() {
  local dir=$1 launcher=''
  for launcher in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$launcher" ] && break
  done
  _desktop_run "$launcher" --launch-immediately --a11y=1 >"$dir/a11y.log" 2>&1 &
  desktop_pids+=($!)
  # Asked only once it owns its name: a call before that would have the bus start another.
  a11y_address() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner org.a11y.Bus 2>/dev/null | grep -q true &&
      gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.a11y.Bus.GetAddress 2>/dev/null | grep -q "'unix:"
  }
  if ! desktop_wait_until $! at-spi-bus-launcher a11y_address; then
    cat "$dir/a11y.log" >&2
    return 1
  fi
}
