#!/usr/bin/env bash
# Builds Tivora and runs it on the bundled sample catalogue, with the demo server beside it so
# that the update check, the registration and the demo games work. Installs what is missing.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/ensure-packages.sh" run
build=$("$top/scripts/configure.sh" | tail -n 1)
cmake --build "$build" --target tivora tivora-demo-server tivora_sample_catalogue -- -j2

# The sample catalogue's servers live on 127.0.0.1:47613; one already running there is used.
server=
if ! (exec 3<>/dev/tcp/127.0.0.1/47613) 2>/dev/null; then
  "$build/tivora-demo-server" --port 47613 &
  server=$!
  trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
fi

status=0
"$build/tivora" "$@" || status=$?
exit "$status"
