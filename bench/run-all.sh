#!/usr/bin/env bash
# Every speed figure of the bar in one run, as a table with the ratios: start-up and memory
# against an empty Qt window, idle wake-ups, click -> browser, and the catalogue and drop-down
# benchmarks. Needs Xvfb, dbus-run-session and xdotool.
# Usage: bench/run-all.sh [BUILD_DIR] [ROUNDS]
#   (build first: cmake --build BUILD --target tivora first-paint-probe tivora-empty-window
#    tivora-browser-stub bench_games_config bench_drop_down tivora_sample_catalogue)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
rounds=${2:-10}
quiet() { grep -v 'dbus-daemon' || true; }

start=$("$here/startup/measure.sh" "$build" "$rounds" 2>&1 | quiet)
idle=$("$here/startup/idle.sh" "$build" 20 2>&1 | quiet)
click=$("$here/startup/click.sh" "$build" "$rounds" 2>&1 | quiet)
catalogue=$("$build/bench/bench_games_config" --benchmark_filter='OfGames/(1000|10000)$' \
  --benchmark_format=csv 2>/dev/null)
dropDown=$("$build/bench/bench_drop_down" --benchmark_filter='/10000$' --benchmark_format=csv \
  2>/dev/null)

field() { sed -n "s/.*$1.*/\\1/p" <<<"$2" | head -n 1; }
ms() { awk -F, -v name="\"$1\"" '$1 == name {printf "%.1f", $3}' <<<"$2"; }

paintBar=$(field 'first paint: bar \([0-9.]*\) ms' "$start")
paintEmpty=$(field 'empty window \([0-9.]*\) ms' "$start")
paintRatio=$(field 'first paint:.*ratio \([0-9.]*\)' "$start")
paintText=$(field 'one line of text \([0-9.]*\) ms' "$start")
textRatio=$(field 'against it ratio \([0-9.]*\)' "$start")
rssBar=$(field 'RSS after 3 s: bar \([0-9.]*\) MiB' "$start")
rssEmpty=$(field 'RSS after 3 s:.*empty window \([0-9.]*\) MiB' "$start")
rssRatio=$(field 'RSS after 3 s:.*ratio \([0-9.]*\)' "$start")
wakeBar=$(field 'bar total_wakeups=\([0-9]*\)' "$idle")
wakeFocused=$(field 'bar-search-focused total_wakeups=\([0-9]*\)' "$idle")
wakeEmpty=$(field 'empty total_wakeups=\([0-9]*\)' "$idle")
clickMs=$(field 'browser started: \([0-9.]*\) ms' "$click")
xdotoolMs=$(field "xdotool's own start: \\([0-9.]*\\) ms" "$click")
load1k=$(ms BM_LoadCatalogueOfGames/1000 "$catalogue")
load10k=$(ms BM_LoadCatalogueOfGames/10000 "$catalogue")
open10k=$(ms BM_OpenDropDown/10000 "$dropDown")

echo "$idle" | grep 'thread=' | sed 's/^/  /'
printf '| %-40s | %-12s | %-14s | %-6s | %-28s |\n' figure bar against ratio target
printf '|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..42})" "$(printf -- '-%.0s' {1..14})" \
  "$(printf -- '-%.0s' {1..16})" "$(printf -- '-%.0s' {1..8})" "$(printf -- '-%.0s' {1..30})"
row() { printf '| %-40s | %-12s | %-14s | %-6s | %-28s |\n' "$@"; }
row "exec -> first paint (median of $rounds)" "$paintBar ms" "$paintEmpty ms empty" "$paintRatio" "<= 1.25"
row "  the same window drawing one line of text" "$paintBar ms" "$paintText ms text" "$textRatio" "-"
row "RSS 3 s after start (median of $rounds)" "$rssBar MiB" "$rssEmpty MiB empty" "$rssRatio" "<= 1.3"
row "wake-ups in 20 s, idle" "$wakeBar" "$wakeEmpty empty" "-" "the worker's tick: 10"
row "wake-ups in 20 s, search box focused" "$wakeFocused" "$wakeEmpty empty" "-" "the worker's tick: 10"
row "loading a catalogue of 1,000 / 10,000" "$load1k / $load10k ms" "-" \
  "$(awk -v a="$load1k" -v b="$load10k" 'BEGIN {printf "%.1f", b / a}')" "linear: 10"
row "opening the drop-down, 10,000 games" "$open10k ms" "-" "-" "<= 50 ms"
row "click -> browser process started" "$clickMs ms" "xdotool $xdotoolMs" "-" "-"
