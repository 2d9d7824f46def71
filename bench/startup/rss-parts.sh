#!/usr/bin/env bash
# Where the resident memory of the bar and of the empty window lies 3 s after the start:
# kilobytes per mapping (shared objects, heap, anonymous, other files), the largest first,
# side by side, and how many shared objects each has loaded.
# Usage: bench/startup/rss-parts.sh [BUILD_DIR] [LINES]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
lines=${2:-40}
# shellcheck source=session.sh
. "$(dirname "$0")/session.sh"

# "kib name" per mapping name of a running process, summed over its mappings.
parts() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / {name = (NF >= 6) ? $6 : "[anonymous]"; sub(/.*\//, "", name)}
       /^Rss:/ {kib[name] += $2}
       END {for (n in kib) print kib[n], n}' "/proc/$1/smaps" | sort -k2
}

snapshot() {
  local out=$1
  shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 3
  parts "$pid" >"$out"
  echo "$(grep -c '\.so' "$out") shared objects" >"$out.count"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

"$build/tivora" >/dev/null 2>&1 & first=$!   # the first start makes the settings
sleep 3
kill $first && wait $first 2>/dev/null || true
snapshot "$work/bar" "$build/tivora"
snapshot "$work/empty" "$build/bench/tivora-empty-window" 0 0 357 46 808080
echo "bar: $(cat "$work/bar.count"), empty window: $(cat "$work/empty.count")"
printf '%8s %8s %8s  %s\n' bar empty extra mapping
join -a 1 -a 2 -e 0 -1 2 -2 2 -o 0,1.1,2.1 "$work/bar" "$work/empty" |
  awk '{printf "%8d %8d %8d  %s\n", $2, $3, $2 - $3, $1; b += $2; e += $3}
       END {printf "%8d %8d %8d  total (KiB)\n", b, e, b - e}' | sort -k3 -n -r | head -n "$lines"
