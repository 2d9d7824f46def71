#!/usr/bin/env bash
# The sanitizer and fuzzing stages of CI, each in a build folder of its own beside build/:
#   asan  the whole suite built with AddressSanitizer (leaks included) and UndefinedBehavior-
#         Sanitizer, in build-asan/;
#   tsan  the tests labelled "tsan" (the worker thread, the hand-over of its messages to the
#         window, the launcher), built with ThreadSanitizer, in build-tsan/;
#   fuzz  each libFuzzer target (clang, ASan and UBSan) for FUZZ_SECONDS (60) from its seed
#         corpus in fuzz/corpus/NAME/, in build-fuzz/; FUZZERS names a subset.
# Any report of a sanitizer or a fuzzer fails the stage.
# Usage: scripts/ci-sanitizers.sh [asan|tsan|fuzz|all] [ctest arguments...]
#   e.g. scripts/ci-sanitizers.sh asan -R GamesConfig
#        FUZZERS=fuzz_settings FUZZ_SECONDS=600 scripts/ci-sanitizers.sh fuzz
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
stage="${1:-all}"
shift || true
"$top/scripts/ensure-packages.sh" sanitizers

# Configures a build folder once; the arguments are its CMake options.
configure() {
  local build="$1"
  shift
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DTIVORA_BUILD_BENCHMARKS=OFF "$@" >/dev/null
  fi
}

# Sanitizer reports stop the program with a failing exit status, with a stack in its output.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Any data race fails the test at once, with the report in its output. No suppressions: none
# were needed so far.
export TSAN_OPTIONS=halt_on_error=1
# Leaks too: no library below us needed a suppression so far.
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1

run_asan() {
  local build="$top/build-asan"
  configure "$build" -DCMAKE_BUILD_TYPE=Debug -DTIVORA_SANITIZE=ON
  cmake --build "$build" -- -j2
  (cd "$build" && ctest --no-tests=error --output-on-failure -j2 "$@")
}

# The tests labelled "tsan": the worker's and the launcher's, and the hand-over of the worker's
# messages to the window. Not the tests that run the whole program: its tray icon starts Qt's
# session bus thread, and Qt, not built with the sanitizer, hands objects between threads under
# locks the sanitizer cannot see, so it reports races inside Qt that are none.
run_tsan() {
  local build="$top/build-tsan"
  configure "$build" -DCMAKE_BUILD_TYPE=Debug -DTIVORA_TSAN=ON
  cmake --build "$build" --target tivora_tsan_tests -- -j2
  (cd "$build" && ctest --no-tests=error --output-on-failure -j2 -L tsan "$@")
}

run_fuzz() {
  local build="$top/build-fuzz"
  local seconds="${FUZZ_SECONDS:-60}"
  local fuzzers
  read -r -a fuzzers <<<"${FUZZERS:-fuzz_text_table fuzz_games_config fuzz_settings fuzz_manifest fuzz_devtools_client fuzz_desktop_entry}"
  CC=clang CXX=clang++ configure "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTIVORA_BUILD_FUZZERS=ON -DTIVORA_SANITIZE=ON -DTIVORA_BUILD_TESTS=OFF
  cmake --build "$build" --target "${fuzzers[@]}" -- -j2

  # Two at a time, one per core. New inputs go to the build folder, never into the seeds;
  # a crash, leak, time-out or memory blow-up leaves its input in build-fuzz/artifacts/NAME/.
  local failed=() pids=() names=() name i
  for name in "${fuzzers[@]}"; do
    local corpus="$build/corpus/$name" artifacts="$build/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$top/fuzz/corpus/$name" \
      >"$build/$name.log" 2>&1 &
    pids+=($!)
    names+=("$name")
    if [ ${#pids[@]} -eq 2 ] || [ "$name" = "${fuzzers[-1]}" ]; then
      for i in "${!pids[@]}"; do
        if wait "${pids[$i]}"; then
          echo "${names[$i]}: $(grep -m1 -o 'stat::number_of_executed_units: [0-9]*' \
            "$build/${names[$i]}.log" || true)"
        else
          failed+=("${names[$i]}")
          echo "${names[$i]} FAILED, its log:" >&2
          tail -n 60 "$build/${names[$i]}.log" >&2
        fi
      done
      pids=()
      names=()
    fi
  done
  [ ${#failed[@]} -eq 0 ] || {
    echo "Fuzzers with findings: ${failed[*]}" >&2
    return 1
  }
}

case "$stage" in
  asan | tsan | fuzz) "run_$stage" "$@" ;;
  all)
    # Every stage runs, so that one finding does not hide the others.
    failed=()
    for one in asan tsan fuzz; do
      "$0" "$one" "$@" || failed+=("$one")
      set -- # the ctest arguments are the suite's
    done
    [ ${#failed[@]} -eq 0 ] || {
      echo "Stages with findings: ${failed[*]}" >&2
      exit 1
    }
    ;;
  *)
    echo "usage: $0 [asan|tsan|fuzz|all] [ctest arguments...]" >&2
    exit 2
    ;;
esac
