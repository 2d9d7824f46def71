#!/usr/bin/env bash
# The bar's start-up against an empty Qt window of its size, side by side on one X server of
# their own: time from exec to the first paint (seen on the screen) and resident memory 3 s
# after the start, as medians of ROUNDS alternating runs, and their ratios.
# Usage: bench/startup/measure.sh [BUILD_DIR] [ROUNDS]     (build in Release or RelWithDebInfo)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-10}
probe=$build/bench/first-paint-probe

# shellcheck source=session.sh
. "$(dirname "$0")/session.sh"
missing=$(missing_programs "$probe" "$build/bench/tivora-empty-window" "$build/tivora")
[ -z "$missing" ] || { echo "missing: $missing" >&2; exit 2; }
"$probe" $x $y - 3000 "$build/tivora" >"$work/learn"     # first run: settings made
colour=$(sed -n 's/.*pixel=\([0-9a-f]*\).*/\1/p' "$work/learn")
echo "bar shows #$colour at ($x, $y); the empty window is filled with it"

bar=() empty=() barRss=() emptyRss=() text=()
for _ in $(seq "$rounds"); do
  b=$("$probe" $x $y "$colour" 3000 "$build/tivora" || true)
  e=$("$probe" $x $y "$colour" 3000 "$build/bench/tivora-empty-window" 0 0 357 46 "$colour" || true)
  # The same window drawing one line of the bar's text: what any text costs a first paint.
  t=$("$probe" $x $y "$colour" 3000 "$build/bench/tivora-empty-window" 0 0 357 46 "$colour" text ||
    true)
  # On a busy machine a probe now and then cannot reach the X server: that round is left out.
  if [[ $b != first_paint_ms=* || $e != first_paint_ms=* || $t != first_paint_ms=* ]]; then
    echo "a round left out: '$b' '$e' '$t'" >&2
    continue
  fi
  bar+=("$(sed 's/first_paint_ms=\([0-9]*\).*/\1/' <<<"$b")")
  barRss+=("$(sed 's/.*rss_kib=\([0-9]*\).*/\1/' <<<"$b")")
  empty+=("$(sed 's/first_paint_ms=\([0-9]*\).*/\1/' <<<"$e")")
  emptyRss+=("$(sed 's/.*rss_kib=\([0-9]*\).*/\1/' <<<"$e")")
  text+=("$(sed 's/first_paint_ms=\([0-9]*\).*/\1/' <<<"$t")")
done
mb=$(median "${bar[@]}") me=$(median "${empty[@]}") mt=$(median "${text[@]}")
rb=$(median "${barRss[@]}") re=$(median "${emptyRss[@]}")
awk -v mb="$mb" -v me="$me" -v mt="$mt" -v rb="$rb" -v re="$re" 'BEGIN {
  printf "first paint: bar %s ms, empty window %s ms, ratio %.2f\n", mb, me, mb / me
  printf "first paint: window with one line of text %s ms, bar against it ratio %.2f\n", mt, mb / mt
  printf "RSS after 3 s: bar %.1f MiB, empty window %.1f MiB, ratio %.2f\n", rb / 1024, re / 1024, rb / re
}'
