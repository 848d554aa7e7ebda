#!/usr/bin/env bash
# The batch pool against one thread: a survey of COUNT (default 200)
# ten-second 384 kHz 16-bit recordings with synthetic bat calls, done once
# with --jobs 1 (the sum of the single-file times, in one process) and once
# with --jobs 2. On 2 cores the second must take at most 1.1 times half the
# first: the pool must not serialise.
#
#   bench/batch_pool.sh build/release/src/cli/norvane-cli [COUNT] [WORK...]
#
# WORK is the batch work and its options (default: render of the whole
# recording, 1920 x 1080). The survey is kept in $TMPDIR/nv-bench-survey.
set -euo pipefail
cli=$(readlink -f "$1")
count=${2:-200}
shift $(( $# >= 2 ? 2 : 1 ))
work=("$@")
[ ${#work[@]} -eq 0 ] && work=(render --width 1920 --height 1080 --span-us 10000000)
survey="${TMPDIR:-/tmp}/nv-bench-survey"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if [ "$(find "$survey" -name '*.wav' 2>/dev/null | wc -l)" -ne "$count" ]; then
  rm -rf "$survey"
  mkdir -p "$survey"
  /usr/bin/python3 - "$survey" "$count" <<'PY'
import sys, wave, numpy as np
folder, count = sys.argv[1], int(sys.argv[2])
rate, seconds = 384000, 10
base = []
for seed in range(8):
    rng = np.random.default_rng(seed)
    x = rng.normal(0, 30, rate * seconds)
    t0 = rng.uniform(0.05, 0.1)
    while t0 < seconds - 0.01:
        n = int(0.004 * rate)
        t = np.arange(n) / rate
        f = 80000 - 40000 * t / 0.004          # an FM sweep, 80 to 40 kHz in 4 ms
        phase = 2 * np.pi * np.cumsum(f) / rate
        s = int(t0 * rate)
        x[s:s + n] += 12000 * np.sin(phase) * np.hanning(n)
        t0 += rng.uniform(0.07, 0.12)
    base.append(np.clip(x, -32768, 32767).astype('<i2').tobytes())
for i in range(count):
    with wave.open(f"{folder}/night{i % 4}-rec{i:04d}.wav", 'wb') as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
        w.writeframes(base[i % len(base)])
PY
fi
cat "$survey"/*.wav >/dev/null  # in the page cache for both runs

run() {  # run JOBS -> "wall-seconds cpu-seconds"
  /usr/bin/time -f '%e %U %S' -o "$out/time" \
    "$cli" batch "${work[0]}" "$survey" -o "$out/jobs$1${work[0]/render/}" --jobs "$1" "${work[@]:1}" 2>/dev/null || true
  read -r wall user sys <"$out/time"
  echo "$wall $(echo "$user + $sys" | bc -l)"
}
printf 'files: %d, work: %s; load average before: %s\n' "$count" "${work[*]}" "$(cut -d' ' -f1-3 /proc/loadavg)"
read -r t1 c1 <<<"$(run 1)"
read -r t2 c2 <<<"$(run 2)"
ratio=$(echo "$t2 / ($t1 / 2)" | bc -l)
printf 'one thread (sum of single files): %.2f s wall (%.1f ms a file), %.2f s CPU\n' "$t1" \
  "$(echo "$t1 * 1000 / $count" | bc -l)" "$c1"
printf 'two threads: %.2f s wall, %.2f s CPU (%.2f cores busy)\n' "$t2" "$c2" "$(echo "$c2 / $t2" | bc -l)"
printf 'ratio to the sum / 2: %.3f (limit 1.1)\n' "$ratio"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.1) }'
