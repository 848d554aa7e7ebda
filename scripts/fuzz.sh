#!/usr/bin/env bash
# Builds the RIFF reader fuzzer with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds
# (default 60) over a copy of the seed corpus. Exits non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNORVANE_FUZZ=ON -DNORVANE_BUILD_UI=OFF -DNORVANE_BUILD_TESTS=OFF -DNORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target fuzz_riff_reader

corpus=build/fuzz/corpus
mkdir -p "$corpus"
cp -n fuzz/corpus/* "$corpus"/ 2>/dev/null || true
echo "Fuzzing the RIFF reader for ${seconds} s"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  build/fuzz/fuzz/fuzz_riff_reader -artifact_prefix=build/fuzz/ -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" 2>build/fuzz/fuzz.log || { tail -60 build/fuzz/fuzz.log; exit 1; }
grep -E 'stat::number_of_executed_units|Done' build/fuzz/fuzz.log | tail -2
echo "fuzz: 1 passed, 0 failed"
