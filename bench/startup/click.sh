#!/usr/bin/env bash
# Click -> browser started: clicks the bar's first game button ROUNDS times with xdotool and
# takes the time from just before each click until a stand-in browser
# (tivora-browser-stub, named by TIVORA_BROWSER) runs; also how long xdotool takes to start
# and reach the X server, which that time includes. Prints medians in ms.
# Usage: bench/startup/click.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-10}
# shellcheck source=session.sh
. "$(dirname "$0")/session.sh"
missing=$(missing_programs xdotool)
[ -z "$missing" ] || { echo "missing: $missing" >&2; exit 2; }
export TIVORA_BROWSER=$build/bench/tivora-browser-stub TIVORA_STUB_RECORD=$work/started
# The first game button, on a first start at (0, 0).
gx=${GAME_X:-30} gy=${GAME_Y:-32}

"$build/tivora" >/dev/null 2>&1 &
bar=$!
sleep 3
xdotool mousemove "$gx" "$gy"
sleep 0.5
spawn=() own=()
for i in $(seq "$rounds"); do
  # What xdotool needs before it sends anything: starting and asking the server once.
  before=$EPOCHREALTIME
  xdotool getmouselocation >/dev/null
  own+=("$(awk -v a="$before" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.1f", (b - a) * 1000}')")
  before=$EPOCHREALTIME
  xdotool click 1
  started_runs() { [ "$(wc -l 2>/dev/null <"$work/started" || echo 0)" -ge "$i" ]; }
  wait_until 2 started_runs || true
  started=$(sed -n "${i}p" "$work/started")
  [ -n "$started" ] || { echo "no browser started after click $i" >&2; kill $bar; exit 1; }
  spawn+=("$(awk -v a="$before" -v b="$started" 'BEGIN {printf "%.1f", (b - a) * 1000}')")
  sleep 0.3
done
kill $bar
wait $bar 2>/dev/null || true
echo "click to browser started: $(median "${spawn[@]}") ms (of which xdotool's own start: $(median "${own[@]}") ms)"
