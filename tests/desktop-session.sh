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

# shellcheck source=../scripts/lib/desktop.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/desktop.sh"

missing=$(missing_programs Xvfb dbus-run-session)
if [ -n "$missing" ]; then
  export TIVORA_DESKTOP_MISSING="$missing"
  exec "$@"
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tivora-desktop.XXXXXX")
cleanup() {
  desktop_stop
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

desktop_start_x "$dir" || exit 1
if [ -z "$(missing_programs openbox)" ]; then
  desktop_start_wm "$dir" || exit 1
else
  export TIVORA_WM_MISSING=openbox
fi

dbus-run-session -- "$@"
