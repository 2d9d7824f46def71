#!/usr/bin/env bash
# Runs a test program on an X server and a session bus of its own (Xvfb on a free display and
# dbus-run-session), both ended afterwards however the program ends. Without those programs the
# test program runs as it is and its desktop tests skip themselves, naming what is missing.
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
cleanup() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
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

unset WAYLAND_DISPLAY
DISPLAY=":$(head -n 1 "$dir/display")" dbus-run-session -- "$@"
