#!/usr/bin/env bash
# Builds Tivora and runs it on the bundled sample catalogue, with the demo server beside it so
# that the update check, the registration and the demo games work. Installs what is missing.
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the bar runs on a virtual one
# through scripts/run-headless.sh, which writes a screenshot of it and names the file;
# TIVORA_RUN_ONCE=1 ends it right after the screenshot.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/ensure-packages.sh" run
build=$("$top/scripts/configure.sh" | tail -n 1)
headless=
[ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && headless=tivora-desktop-standin
cmake --build "$build" --target tivora tivora-demo-server tivora_sample_catalogue $headless -- -j2

# The sample catalogue's servers live on 127.0.0.1:47613; one already running there is used.
server=
if ! (exec 3<>/dev/tcp/127.0.0.1/47613) 2>/dev/null; then
  "$build/tivora-demo-server" --port 47613 &
  server=$!
  trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
fi

status=0
if [ -n "$headless" ]; then
  "$top/scripts/run-headless.sh" "$build" "$@" || status=$?
else
  "$build/tivora" "$@" || status=$?
fi
exit "$status"
