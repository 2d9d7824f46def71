#!/usr/bin/env bash
# The bar's start-up against two floors, side by side on one X server of their own: an empty
# Qt window of its size and the same window drawing one line of text. For each, the time from
# exec to the first paint (seen on the screen), and its memory 3 s after the start (RSS, PSS,
# USS), as medians of ROUNDS alternating runs; the bar's and the text window's start-up
# phases (their start-up traces), as medians since exec; and Plank's memory, measured the same
# way in the same rounds.
# PSS and USS depend on who else maps a library: alone on a machine a program's Qt pages would
# all count as its own. So a Qt window and a GTK window (of Python's GObject bindings) stay open
# through the rounds, as other programs of each toolkit would on a desktop; neither maps the
# measured programs' own files or libraries (the bar's executable, Plank's dock library).
# Other builds of the bar measured in the same rounds, for a before and after side by side:
# TIVORA_BENCH_ALSO="NAME=BUILD_DIR ..." adds their bars to each round's, taking turns at
# starting the round, and a line for each with its figures and their ratios to the text floor's.
# Usage: bench/startup/measure.sh [BUILD_DIR] [ROUNDS]     (build in Release or RelWithDebInfo)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-10}
probe=$build/bench/first-paint-probe
floor=$build/bench/tivora-empty-window

# shellcheck source=session.sh
. "$(dirname "$0")/session.sh"
missing=$(missing_programs "$probe" "$floor" "$build/tivora")
[ -z "$missing" ] || { echo "missing: $missing" >&2; exit 2; }
plank=$(command -v plank || true)
[ -n "$plank" ] || echo "missing: plank (scripts/ensure-packages.sh bench): its column stays empty" >&2
# Services that the bus starts for a program (Plank's window matcher) are on the same display.
dbus-update-activation-environment DISPLAY HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR \
  2>/dev/null || true
"$probe" $x $y - 3000 "$build/tivora" >"$work/learn"     # first run: settings made
colour=$(sed -n 's/.*pixel=\([0-9a-f]*\).*/\1/p' "$work/learn")
echo "bar shows #$colour at ($x, $y); the empty window is filled with it"

# The other programs of the desktop, out of the measured point's way.
"$floor" 600 600 357 46 808080 text >/dev/null 2>&1 &
sharers=($!)
if /usr/bin/python3 -c 'import gi' 2>/dev/null; then
  /usr/bin/python3 -c "import gi; gi.require_version('Gtk', '3.0'); from gi.repository import Gtk
w = Gtk.Window(); w.move(600, 700); w.show(); Gtk.main()" >/dev/null 2>&1 &
  sharers+=($!)
else
  echo "missing: python3-gi (scripts/ensure-packages.sh bench): Plank's toolkit counts as its own" >&2
fi
trap 'kill "${sharers[@]}" 2>/dev/null; cleanup' EXIT
sleep 2

# field NAME LINE: the value of NAME=value in a probe's line.
field() { sed -n "s/.* $1=\([-0-9.]*\).*/\1/p" <<<" $2"; }
declare -A values=()
# note PROGRAM LINE: keeps the line's figures and phases under PROGRAM.
note() {
  local name
  for name in first_paint_ms rss_kib pss_kib uss_kib $(grep -o 'phase_[a-z-]*_ms' <<<"$2"); do
    values[$1.$name]+="$(field "$name" "$2") "
  done
}
# The bars of this round, the measured one first; with other builds, each round starts with the
# next of them, so that none always comes first (just after Plank) or last.
bars=("bar=$build")
for other in ${TIVORA_BENCH_ALSO:-}; do
  bars+=("also-${other%%=*}=${other#*=}")
done
for round in $(seq "$rounds"); do
  declare -A got=()
  for k in "${!bars[@]}"; do
    entry=${bars[(k + round - 1) % ${#bars[@]}]}
    got[${entry%%=*}]=$("$probe" $x $y "$colour" 3000 "${entry#*=}/tivora" || true)
  done
  b=${got[bar]}
  e=$("$probe" $x $y "$colour" 3000 "$floor" 0 0 357 46 "$colour" || true)
  # The same window drawing one line of the bar's text: what any text costs a first paint.
  t=$("$probe" $x $y "$colour" 3000 "$floor" 0 0 357 46 "$colour" text || true)
  # On a busy machine a probe now and then cannot reach the X server: that round is left out.
  if [[ $b != first_paint_ms=* || $e != first_paint_ms=* || $t != first_paint_ms=* ]]; then
    echo "a round left out: '$b' '$e' '$t'" >&2
    continue
  fi
  note bar "$b"
  note empty "$e"
  note text "$t"
  for entry in "${bars[@]:1}"; do
    o=${got[${entry%%=*}]}
    [[ $o != first_paint_ms=* ]] || note "${entry%%=*}" "$o"
  done
  if [ -n "$plank" ]; then
    note plank "$("$probe" 0 0 - 3000 "$plank" || true)"
  fi
done
# m NAME: the median of the figures kept under NAME; nothing when there are none.
m() {
  local figures
  read -r -a figures <<<"${values[$1]:-}"
  [ ${#figures[@]} -eq 0 ] || median "${figures[@]}"
}
awk -v mb="$(m bar.first_paint_ms)" -v me="$(m empty.first_paint_ms)" -v mt="$(m text.first_paint_ms)" \
  -v rb="$(m bar.rss_kib)" -v re="$(m empty.rss_kib)" 'BEGIN {
  printf "first paint: bar %s ms, empty window %s ms, ratio %.2f\n", mb, me, mb / me
  printf "first paint: window with one line of text %s ms, bar against it ratio %.2f\n", mt, mb / mt
  printf "RSS after 3 s: bar %.1f MiB, empty window %.1f MiB, ratio %.2f\n", rb / 1024, re / 1024, rb / re
}'
for program in bar empty text plank; do
  line="memory after 3 s: $program"
  for kind in rss pss uss; do
    kib=$(m "$program.${kind}_kib")
    line+=" $kind=$(awk -v k="$kib" 'BEGIN {printf (k == "" ? "-" : "%.1f"), k / 1024}')"
  done
  echo "$line MiB"
done
for other in ${TIVORA_BENCH_ALSO:-}; do
  name=also-${other%%=*}
  awk -v n="${other%%=*}" -v mb="$(m "$name.first_paint_ms")" -v mt="$(m text.first_paint_ms)" \
    -v pb="$(m "$name.pss_kib")" -v pt="$(m text.pss_kib)" -v pp="$(m plank.pss_kib)" \
    -v ub="$(m "$name.uss_kib")" -v ut="$(m text.uss_kib)" 'BEGIN {
    if (mb == "") { print "also " n ": no round"; exit }
    printf "also %s: first paint %s ms (%.2f of the text floor), PSS %.1f MiB (%.2f of the text floor, %s of Plank), USS %.1f MiB (%.2f)\n",
      n, mb, mb / mt, pb / 1024, pb / pt, (pp == "" ? "-" : sprintf("%.2f", pb / pp)), ub / 1024, ub / ut
  }'
done
# The phases in the order the bar goes through them, the text window's beside them.
for program in bar text; do
  line="phases since exec: $program"
  for phase in $(grep -o 'phase_[a-z-]*_ms' <<<"$b" | sed 's/^phase_//; s/_ms$//'); do
    value=$(m "$program.phase_${phase}_ms")
    [ -z "$value" ] || line+=" $phase=$value"
  done
  echo "$line"
done
