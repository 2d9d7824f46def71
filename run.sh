#!/usr/bin/env bash
# Builds Tivora and runs it on the bundled sample catalogue. Installs what is missing first.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/ensure-packages.sh" build
build=$("$top/scripts/configure.sh" | tail -n 1)
cmake --build "$build" --target tivora -- -j2
exec "$build/tivora" "$@"
