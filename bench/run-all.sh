#!/usr/bin/env bash
# Every speed figure of the bar in one run, as a table with the ratios: start-up and memory
# against an empty Qt window, the same window drawing one line of text (the text floor) and
# Plank, with the bar's start-up phases; idle wake-ups; click -> browser; and the catalogue
# and drop-down benchmarks. Needs Xvfb, dbus-run-session, xdotool and plank
# (scripts/ensure-packages.sh bench installs them).
# Usage: bench/run-all.sh [BUILD_DIR] [ROUNDS]
#   (TIVORA_BENCH_ALSO="NAME=BUILD_DIR ...": other builds' bars in the same start-up rounds)
#   (build first: cmake --build BUILD --target tivora first-paint-probe tivora-empty-window
#    tivora-browser-stub bench_games_config bench_drop_down tivora_sample_catalogue)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
rounds=${2:-10}
"$here/../scripts/ensure-packages.sh" bench
quiet() { grep -v 'dbus-daemon\|Gtk-WARNING\|SpiRegistry\|X connection to\|^$' || true; }

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
start=$("$here/startup/measure.sh" "$build" "$rounds" 2>&1 | quiet)
idle=$("$here/startup/idle.sh" "$build" 20 2>&1 | quiet)
click=$("$here/startup/click.sh" "$build" "$rounds" 2>&1 | quiet)
catalogue=$("$build/bench/bench_games_config" --benchmark_filter='OfGames/(1000|10000)$' \
  --benchmark_format=csv 2>/dev/null)
dropDown=$("$build/bench/bench_drop_down" --benchmark_filter='/10000$' --benchmark_format=csv \
  2>/dev/null)
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

field() { sed -n "s/.*$1.*/\\1/p" <<<"$2" | head -n 1; }
ms() { awk -F, -v name="\"$1\"" '$1 == name {printf "%.1f", $3}' <<<"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (a == "" || a == "-" || b == "" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b}'; }
memory() { field "memory after 3 s: $1 .*$2=\\([-0-9.]*\\)" "$start"; }

paintBar=$(field 'first paint: bar \([0-9.]*\) ms' "$start")
paintEmpty=$(field 'empty window \([0-9.]*\) ms' "$start")
paintText=$(field 'one line of text \([0-9.]*\) ms' "$start")
wakeBar=$(field 'bar total_wakeups=\([0-9]*\)' "$idle")
wakeFocused=$(field 'bar-search-focused total_wakeups=\([0-9]*\)' "$idle")
wakeEmpty=$(field 'empty total_wakeups=\([0-9]*\)' "$idle")
wakePlank=$(field 'plank total_wakeups=\([0-9]*\)' "$idle")
clickMs=$(field 'browser started: \([0-9.]*\) ms' "$click")
xdotoolMs=$(field "xdotool's own start: \\([0-9.]*\\) ms" "$click")
load1k=$(ms BM_LoadCatalogueOfGames/1000 "$catalogue")
load10k=$(ms BM_LoadCatalogueOfGames/10000 "$catalogue")
open10k=$(ms BM_OpenDropDown/10000 "$dropDown")

echo "$idle" | grep 'thread=' | sed 's/^/  /'
row() { printf '| %-38s | %-15s | %-12s | %-10s | %-6s | %-8s | %-16s |\n' "$@"; }
row figure bar empty "text floor" Plank "bar/text" target
row "$(printf -- '-%.0s' {1..38})" "$(printf -- '-%.0s' {1..15})" "------------" "----------" \
  "------" "--------" "$(printf -- '-%.0s' {1..16})"
row "exec -> first paint, ms (median of $rounds)" "$paintBar" "$paintEmpty" "$paintText" "-" \
  "$(ratio "$paintBar" "$paintText")" "<= 1.25"
for kind in RSS PSS USS; do
  k=$(tr 'A-Z' 'a-z' <<<"$kind")
  bar=$(memory bar "$k") text=$(memory text "$k") plank=$(memory plank "$k")
  target=-
  [ "$kind" = PSS ] && target="<= 1.6, <= Plank"
  row "$kind 3 s after start, MiB (median)" "$bar" "$(memory empty "$k")" "$text" "$plank" \
    "$(ratio "$bar" "$text")" "$target"
done
row "wake-ups in 20 s, idle" "$wakeBar" "$wakeEmpty" "-" "${wakePlank:--}" "-" "<= 2"
row "wake-ups in 20 s, search box focused" "$wakeFocused" "$wakeEmpty" "-" "-" "-" "<= 2"
row "loading a catalogue of 1,000 / 10,000" "$load1k / $load10k ms" "-" "-" "-" \
  "$(ratio "$load10k" "$load1k")" "linear: 10"
row "opening the drop-down, 10,000 games" "$open10k ms" "-" "-" "-" "-" "<= 50 ms"
row "click -> browser process started" "$clickMs ms" "xdotool $xdotoolMs" "-" "-" "-" "-"
grep '^also ' <<<"$start" || true

# The start-up's phases: each one's median time since exec, and what it adds to the one before.
echo
printf '| %-16s | %-13s | %-9s | %-13s |\n' "phase" "bar, ms" "+ ms" "text floor, ms"
printf '|%s|%s|%s|%s|\n' "------------------" "---------------" "-----------" "----------------"
barPhases=$(field 'phases since exec: bar \(.*\)' "$start")
textPhases=$(field 'phases since exec: text \(.*\)' "$start")
previous=0
for pair in $barPhases; do
  name=${pair%%=*} value=${pair#*=}
  text=$(tr ' ' '\n' <<<"$textPhases" | sed -n "s/^$name=//p")
  printf '| %-16s | %-13s | %-9s | %-13s |\n' "$name" "$value" \
    "$(awk -v a="$value" -v b="$previous" 'BEGIN {printf "%.1f", a - b}')" "${text:--}"
  previous=$value
done
printf '| %-16s | %-13s | %-9s | %-13s |\n' "on the screen" "$paintBar" \
  "$(awk -v a="$paintBar" -v b="$previous" 'BEGIN {printf "%.1f", a - b}')" "$paintText"
