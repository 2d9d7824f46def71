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
work=$(mktemp -d "${TMPDIR:-/tmp}/tivora-measure.XXXXXX")
xvfb=
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 400); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 2; }
export DISPLAY=":$(cat "$work/display")"
# A home of its own; the update check finds no server (nothing listens on its port here).
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
# The machine-wide store too: as root the program would write the real one.
export XDG_CONFIG_DIRS=$work/etc-xdg
export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The bar sits at (0, 0) on a first start; (200, 12) lies in its search box.
x=200 y=12
