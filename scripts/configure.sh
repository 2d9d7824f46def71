#!/usr/bin/env bash
# Configures the build folder (once) for ./run.sh and ./test.sh.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${TIVORA_BUILD_DIR:-$top/build}"
options=()
# CI sets TIVORA_WERROR=ON so that a warning fails the build.
[ -n "${TIVORA_WERROR:-}" ] && options+=("-DTIVORA_WERROR=$TIVORA_WERROR")
if [ ! -f "$build/build.ninja" ] || [ ${#options[@]} -gt 0 ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >&2
fi
echo "$build"
