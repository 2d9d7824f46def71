#!/usr/bin/env bash
# Configures the build folder (once) for ./run.sh and ./test.sh.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${TIVORA_BUILD_DIR:-$top/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
echo "$build"
