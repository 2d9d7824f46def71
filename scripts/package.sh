#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-release/ (no tests, tools or benchmarks,
# so no cpp-httplib either), packed by CPack. Prints the .deb's path. Extra arguments go to the
# CMake configuration, for example -DTIVORA_BUILD_TOOLS=ON -DTIVORA_INSTALL_TOOLS=ON.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-release"
"$top/scripts/ensure-packages.sh" build
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTIVORA_BUILD_TESTS=OFF \
  -DTIVORA_BUILD_TOOLS=OFF -DTIVORA_BUILD_BENCHMARKS=OFF "$@" >&2
cmake --build "$build" -- -j2 >&2
(cd "$build" && cpack -G DEB >&2)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
deb="$build/tivora_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "cpack made no $deb" >&2; exit 1; }
echo "$deb"
