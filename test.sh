#!/usr/bin/env bash
# Builds Tivora with its tests and runs the whole suite. Installs what is missing first.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/ensure-packages.sh" test
build=$("$top/scripts/configure.sh" | tail -n 1)
cmake --build "$build" -- -j2
cd "$build"
ctest --no-tests=error --output-on-failure -j2 "$@"
