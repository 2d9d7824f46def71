#!/usr/bin/env bash
# Installs the Debian packages that are missing, through sudo when not root.
# Usage: scripts/ensure-packages.sh build|run|test|sanitizers|bench
set -euo pipefail

# What building and running the program needs.
BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl1-mesa-dev
  libcurl4-openssl-dev liblog4cpp5-dev libxcb1-dev
  fonts-wine fonts-dejavu-core
  libgtest-dev libgmock-dev libcpp-httplib-dev libbenchmark-dev
)
# What running it needs besides: the browser that controlled games run in, the opener of
# plain pages where no browser is found, Qt's Wayland platform (a Wayland desktop without
# XWayland), and the virtual X server, window manager, pointer driver and session bus it runs
# on where there is no display.
RUN_PACKAGES=(
  chromium xdg-utils qt6-wayland xvfb openbox xdotool dbus
)
# What the tests need besides: the real browser of the controlled-game tests, the formatter
# and the shell scripts' checker whose checks are part of the suite, and the X server, window
# manager and session bus of the desktop tests, the pointer driver of the run without a
# display, the checker of the installed AppStream file, and the accessibility bus with the
# library screen readers are built on.
TEST_PACKAGES=(
  chromium clang-format shellcheck xvfb openbox dbus xdotool appstream desktop-file-utils
  at-spi2-core python3-pyatspi
)

# What bench/run-all.sh needs besides building: its X server, session bus and pointer driver,
# Plank (a dock it measures the bar against), a GTK window beside it (Python's GObject
# bindings) and the heap profiler of its memory split.
BENCH_PACKAGES=(
  xvfb dbus xdotool plank python3-gi gir1.2-gtk-3.0 heaptrack
)

# What the sanitizer and fuzzing stages need besides: clang with its sanitizer and libFuzzer
# runtimes (gcc's sanitizer runtimes come with build-essential).
SANITIZER_PACKAGES=(
  clang libclang-rt-14-dev
)

case "${1:-build}" in
  build) wanted=("${BUILD_PACKAGES[@]}") ;;
  run) wanted=("${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}") ;;
  test) wanted=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  sanitizers) wanted=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${SANITIZER_PACKAGES[@]}") ;;
  bench) wanted=("${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}") ;;
  *) echo "usage: $0 build|run|test|sanitizers|bench" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Not root and no sudo: run as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
