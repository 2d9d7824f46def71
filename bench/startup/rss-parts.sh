#!/usr/bin/env bash
# Where the memory of the bar and of the text floor (the empty window drawing one line of
# text) lies 3 s after the start, mapping by mapping (shared objects, heap, anonymous, other
# files), side by side: resident (RSS) and private (USS: the pages no other process maps), in
# KiB, the largest private extra first; and how many shared objects each has loaded. As in
# measure.sh a Qt window stays open beside them, as other programs would on a desktop, so that
# the library pages that any Qt program maps count as shared.
# Usage: bench/startup/rss-parts.sh [BUILD_DIR] [LINES]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
lines=${2:-40}
# shellcheck source=session.sh
. "$(dirname "$0")/session.sh"
floor=$build/bench/tivora-empty-window

# "name rss uss" per mapping name of a running process, summed over its mappings.
parts() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / {name = (NF >= 6) ? $6 : "[anonymous]"; sub(/.*\//, "", name)}
       /^Rss:/ {rss[name] += $2}
       /^Private_(Clean|Dirty):/ {uss[name] += $2}
       END {for (n in rss) print n, rss[n], uss[n] + 0}' "/proc/$1/smaps" | sort -k1,1
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

"$floor" 600 600 357 46 808080 text >/dev/null 2>&1 &
sharer=$!
trap 'kill $sharer 2>/dev/null; cleanup' EXIT
"$build/tivora" >/dev/null 2>&1 & first=$!   # the first start makes the settings
sleep 3
kill $first && wait $first 2>/dev/null || true
snapshot "$work/bar" "$build/tivora"
snapshot "$work/text" "$floor" 0 0 357 46 808080 text
echo "bar: $(cat "$work/bar.count"), text floor: $(cat "$work/text.count")"
printf '%8s %8s %8s %8s %8s  %s\n' "bar rss" "uss" "text rss" "uss" "uss+" mapping
join -a 1 -a 2 -e 0 -o 0,1.2,1.3,2.2,2.3 "$work/bar" "$work/text" |
  awk '{printf "%8d %8d %8d %8d %8d  %s\n", $2, $3, $4, $5, $3 - $5, $1
        br += $2; bu += $3; tr += $4; tu += $5}
       END {printf "%8d %8d %8d %8d %8d  total (KiB)\n", br, bu, tr, tu, bu - tu}' |
  sort -k5 -n -r | head -n "$lines"
