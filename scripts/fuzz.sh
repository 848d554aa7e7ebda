#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs them one after the other over copies
# of their seed corpora (fuzz/corpus/<target>).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]      SECONDS (default 60) shared
#                                              between the targets
#   scripts/fuzz.sh --long SECONDS [TARGET...] SECONDS for each target
#
# Prints the runs and findings of each target and closes with
# "fuzz: N passed, M failed"; exits non-zero on a finding. A finding's input
# is kept as build/fuzz/<target>-crash-... (or leak-, timeout-, oom-).
set -euo pipefail
cd "$(dirname "$0")/.."

long=0
if [[ "${1:-}" == "--long" ]]; then
  long=1
  shift
fi
seconds="${1:-60}"
shift || true
all=(riff_reader guano filter_file mark_exchange settings_store stored_defaults pulses_table cli_values)
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=("${all[@]}")

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNORVANE_FUZZ=ON -DNORVANE_BUILD_UI=OFF -DNORVANE_BUILD_TESTS=OFF -DNORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

if [[ $long == 1 ]]; then
  each=$seconds
else
  each=$(( seconds / ${#targets[@]} ))
  (( each < 1 )) && each=1
fi

# The longest input each target is given: a sound file needs room for its
# chunks; command-line values, a GUANO text, the settings files and the
# text tables (marks, pulses) gain nothing from more than a few kilobytes
# beyond costing time in every run: past that, rows and lines only repeat.
max_len_of() {
  case "$1" in
    cli_values) echo 4096 ;;
    guano | settings_store | stored_defaults | mark_exchange | pulses_table) echo 16384 ;;
    *) echo 65536 ;;
  esac
}

passed=0
failed=0
for t in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$t
  log=build/fuzz/$t.log
  mkdir -p "$corpus"
  cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  echo "Fuzzing $t for ${each} s"
  # The targets' own output (messages on standard error) is closed;
  # libFuzzer and the sanitizers still report.
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    build/fuzz/fuzz/fuzz_"$t" -artifact_prefix=build/fuzz/"$t"- -max_total_time="$each" \
      -max_len="$(max_len_of "$t")" -rss_limit_mb=2048 -timeout=25 -close_fd_mask=3 -print_final_stats=1 \
      "$corpus" >"$log" 2>&1; then
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo '?')
    echo "  $t: $runs runs, no finding"
    passed=$((passed + 1))
  else
    tail -60 "$log"
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo '?')
    echo "  $t: $runs runs, FINDING (see $log)"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
(( failed == 0 ))
