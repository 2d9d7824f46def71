# shellcheck shell=bash
# What the project's scripts share: waiting for a condition, the check for the programs a script
# needs, a home of its own, and a median. Sourced, not run.

# wait_until [--pid PID] SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds (status
# 0), for SECONDS at most (status 1). With --pid it gives up as soon as the process PID has
# ended (status 2).
wait_until() {
  local pid=''
  if [ "$1" = --pid ]; then
    pid=$2
    shift 2
  fi
  local tries=$(($1 * 20))
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      return 2
    fi
    sleep 0.05
  done
  return 1
}

# missing_programs PROGRAM...: prints, on one line, those of the programs that are not there: a
# name is looked up on PATH, a path must be an executable file. Prints nothing when all are.
missing_programs() {
  local program missing=()
  for program in "$@"; do
    if [[ $program == */* ]]; then
      [ -x "$program" ] || missing+=("$program")
    else
      command -v "$program" >/dev/null 2>&1 || missing+=("$program")
    fi
  done
  echo "${missing[*]}"
}

# isolated_home DIR: HOME and every XDG folder inside DIR, made and exported, the machine-wide
# config folder included (as root the program would write the real one), so that nothing run
# from here reads or writes the user's own files. The runtime folder is private (0700).
isolated_home() {
  local dir=$1
  mkdir -p "$dir/home" "$dir/config" "$dir/data" "$dir/cache" "$dir/state" "$dir/etc-xdg"
  mkdir -p "$dir/run"
  chmod 700 "$dir/run"
  export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
    XDG_CACHE_HOME="$dir/cache" XDG_STATE_HOME="$dir/state" XDG_RUNTIME_DIR="$dir/run" \
    XDG_CONFIG_DIRS="$dir/etc-xdg"
}

# median NUMBER...: the median of the numbers (decimals allowed).
median() {
  printf '%s\n' "$@" | sort -g |
    awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'
}
