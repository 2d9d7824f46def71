#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/ and runs
# the whole test suite there. Extra arguments go to ctest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-asan"
"$top/scripts/ensure-packages.sh" test
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTIVORA_SANITIZE=ON \
    -DTIVORA_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" -- -j2
cd "$build"
# Leaks are not checked: the libraries below Qt keep caches to the end on purpose.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --no-tests=error --output-on-failure -j2 "$@"
