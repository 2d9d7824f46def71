# shellcheck shell=bash
# Sourced by the start-up measurements, before they shift their arguments: a session bus, an
# Xvfb and a home of their own, removed on exit. Sets $work (a scratch folder) and $x $y (a
# point in the bar's search box).
# A desktop session always has a session bus. Without one, every Qt program that asks for it
# (the bar's tray watch does so before its first paint) first has libdbus try to start one
# through dbus-launch, a cost no user sees; so the runs get a bus of their own (the calling
# script runs again inside it). NO_SESSION_BUS=1 measures without one.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -z "${NO_SESSION_BUS:-}" ] &&
  command -v dbus-run-session >/dev/null; then
  exec dbus-run-session -- "$0" "$@"
fi
# shellcheck source=../../scripts/lib/desktop.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/desktop.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/tivora-measure.XXXXXX")
cleanup() {
  desktop_stop
  rm -rf "$work"
}
trap cleanup EXIT
desktop_start_x "$work" || exit 2
# A home of its own; the update check finds no server (nothing listens on its port here).
isolated_home "$work"
export QT_QPA_PLATFORM=xcb
# The bar sits at (0, 0) on a first start; (200, 12) lies in its search box.
export x=200 y=12
