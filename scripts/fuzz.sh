#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan, and runs one of them.
# Usage: scripts/fuzz.sh TARGET [SECONDS]    e.g. scripts/fuzz.sh fuzz_text_table 120
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
target="${1:?fuzz target}"
seconds="${2:-60}"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTIVORA_BUILD_FUZZERS=ON -DTIVORA_SANITIZE=ON -DTIVORA_BUILD_TESTS=OFF \
    -DTIVORA_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" --target "$target" -- -j2
mkdir -p "$build/corpus/$target"
"$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "$build/corpus/$target"
