#!/usr/bin/env bash
# Wake-ups of an idle bar: every thread's context switches (voluntary and not) over PERIOD
# seconds, once the start-up work is over, beside the same count for an empty Qt window and
# for Plank (its own process; the window matcher it starts is not counted).
# Usage: bench/startup/idle.sh [BUILD_DIR] [PERIOD_S]      (xdotool for the focused case)
# Prints one line per thread that woke ("wakeups thread=NAME count=N") and the totals.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
period=${2:-20}
# shellcheck source=session.sh
. "$(dirname "$0")/session.sh"

# "name count" per thread of the process, the count being all its context switches so far.
switches() {
  for task in /proc/"$1"/task/*; do
    [ -r "$task/status" ] || continue
    awk -v name="$(tr ' ' '_' <"$task/comm")" -v tid="${task##*/}" \
      '/^(non)?voluntary_ctxt_switches/ {n += $2} END {print tid, name, n}' "$task/status"
  done
}

# count LABEL CLICK PROGRAM [ARGS...]: CLICK=1 clicks into the search box first (the focus
# there, as after typing a search) and counts from 11 s after that click.
count() {
  local label=$1 click=$2
  shift 2
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 5  # the start-up work, the first update check included, is over by then
  if [ "$click" = 1 ]; then
    xdotool mousemove $x $y click 1 mousemove 600 600
    sleep 11  # the caret blinks for 10 s after the last key or click
  fi
  switches "$pid" >"$work/before"
  sleep "$period"
  switches "$pid" >"$work/after"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  # A thread that appeared in between counts from 0.
  join -a 2 -e 0 -o 0,2.2,1.3,2.2,2.3 "$work/before" "$work/after" |
    awk -v label="$label" -v pid="$pid" '{d = $5 - $3; total += d
        if (d > 0) printf "%s thread=%s%s wakeups=%d\n", label, $2, $1 == pid ? "(main)" : "", d}
      END {printf "%s total_wakeups=%d\n", label, total}'
}

"$build/tivora" & first=$!   # the first start makes the settings; not counted
sleep 3
kill $first && wait $first 2>/dev/null || true
count bar 0 "$build/tivora"
count bar-search-focused 1 "$build/tivora"
count empty 0 "$build/bench/tivora-empty-window" 0 0 357 46 808080
if command -v plank >/dev/null; then
  dbus-update-activation-environment DISPLAY 2>/dev/null || true
  count plank 0 plank
fi
