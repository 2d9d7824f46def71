#!/usr/bin/env bash
# Runs a test program on an X server, a window manager and a session bus of its own (Xvfb on a
# free display, openbox and dbus-run-session), all ended afterwards however the program ends.
# Without Xvfb or dbus-run-session the test program runs as it is and its desktop tests skip
# themselves, naming what is missing; without openbox only the window manager's tests do.
# Usage: tests/desktop-session.sh PROGRAM [ARGS...]
set -u

for arg in "$@"; do
  # Listing the tests needs no desktop.
  [ "$arg" = --gtest_list_tests ] && exec "$@"
done

missing=()
for program in Xvfb dbus-run-session; do
  command -v "$program" >/dev/null 2>&1 || missing+=("$program")
done
if [ ${#missing[@]} -ne 0 ]; then
  export TIVORA_DESKTOP_MISSING="${missing[*]}"
  exec "$@"
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tivora-desktop.XXXXXX")
xvfb=
wm=
cleanup() {
  for pid in $wm $xvfb; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# -displayfd: the server picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$dir/display" ] && break
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -s "$dir/display" ]; then
  echo "Xvfb gave no display within 10 s" >&2
  exit 1
fi

export DISPLAY=":$(head -n 1 "$dir/display")"
unset WAYLAND_DISPLAY

# The window manager keeps its configuration and caches in the session's folder, never in the
# user's. It runs the --startup command once it has taken the screen (owns WM_S0).
if command -v openbox >/dev/null 2>&1; then
  mkdir -p "$dir/wm/config" "$dir/wm/cache" "$dir/wm/data"
  HOME="$dir/wm" XDG_CONFIG_HOME="$dir/wm/config" XDG_CACHE_HOME="$dir/wm/cache" \
    XDG_DATA_HOME="$dir/wm/data" \
    openbox --sm-disable --startup "touch '$dir/wm-ready'" >"$dir/wm.log" 2>&1 &
  wm=$!
  for _ in $(seq 200); do
    [ -e "$dir/wm-ready" ] && break
    if ! kill -0 "$wm" 2>/dev/null; then
      echo "openbox did not start:" >&2
      cat "$dir/wm.log" >&2
      exit 1
    fi
    sleep 0.05
  done
  if [ ! -e "$dir/wm-ready" ]; then
    echo "openbox did not take the screen within 10 s" >&2
    exit 1
  fi
else
  export TIVORA_WM_MISSING=openbox
fi

dbus-run-session -- "$@"
