#!/usr/bin/env bash
# The virtual detector against a numpy/scipy model of the same processing:
# 60 s of 384 kHz 16-bit mono sound (bat-like calls in noise), speed factor
# 10, 4th-order Butterworth low-pass at 5 000 Hz, detector at 40 kHz.
# Each round runs `norvane-cli detector` and tests/cli/detector_reference.py
# on the same file, taking turns at going first, and checks that the two
# outputs agree. Prints the medians of wall time and of CPU time (user +
# system, the fairer figure on a shared machine) and their ratios; the
# model's own figure counts from its start to its written file, numpy and
# scipy imports included, and also without them (processing only).
#
# usage: bench/detector_bench.sh [NORVANE_CLI] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli=${1:-$here/../build/perf-rel/src/cli/norvane-cli}
rounds=${2:-5}
py=/usr/bin/python3
ref=$here/../tests/cli/detector_reference.py
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$py" - "$dir/in.wav" <<'PY'
import sys, wave
import numpy as np
rate, n = 384000, 384000 * 60
t = np.arange(n) / rate
rng = np.random.default_rng(1)
x = 3000 * rng.standard_normal(n)
# A call every 100 ms: 5 ms sweeping down from 45 kHz.
call = np.sin(2 * np.pi * (45000 - 20000 * (t % 0.1) / 0.005) * t) * ((t % 0.1) < 0.005)
x = np.clip(x + 20000 * call, -32768, 32767).astype("<i2")
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(rate)
    w.writeframes(x.tobytes())
PY

run_cli() {
  /usr/bin/time -f "%e %U %S" -o "$dir/t" "$cli" detector "$dir/in.wav" "$dir/cli.wav" --freq 40000 --speed 10
  cat "$dir/t"
}
run_ref() {
  /usr/bin/time -f "%e %U %S" -o "$dir/t" "$py" "$ref" "$dir/in.wav" "$dir/ref.wav" --freq 40000 --te 1000 \
    --speed 10 --order 4 --cutoff 5000 --timing 2>"$dir/inner"
  echo "$(cat "$dir/t") $(cat "$dir/inner")"
}

: >"$dir/cli.txt"
: >"$dir/ref.txt"
for ((r = 0; r < rounds; r++)); do
  sync
  if ((r % 2 == 0)); then
    run_cli >>"$dir/cli.txt"
    run_ref >>"$dir/ref.txt"
  else
    run_ref >>"$dir/ref.txt"
    run_cli >>"$dir/cli.txt"
  fi
done

"$py" - "$dir/cli.wav" "$dir/ref.wav" "$ref" <<'PY'
import importlib.util, sys
import numpy as np
found = importlib.util.spec_from_file_location("ref", sys.argv[3])
ref = importlib.util.module_from_spec(found)
found.loader.exec_module(ref)
a = ref.read_wave(sys.argv[1])[3].astype(np.int64)
b = ref.read_wave(sys.argv[2])[3].astype(np.int64)
d = np.abs(a - b)
print("outputs: %d samples each, %d differ, largest difference %d" % (a.size, np.count_nonzero(d), d.max()))
if a.size != b.size or d.max() > 12:
    sys.exit("the outputs disagree")
PY

"$py" - "$dir/cli.txt" "$dir/ref.txt" <<'PY'
import statistics, sys
def rows(p):
    return [[float(v) for v in line.split()] for line in open(p) if line.strip()]
c, r = rows(sys.argv[1]), rows(sys.argv[2])
med = lambda xs: statistics.median(xs)
cw, cc = med([x[0] for x in c]), med([x[1] + x[2] for x in c])
rw, rc = med([x[0] for x in r]), med([x[1] + x[2] for x in r])
rp = med([x[3] for x in r])
print("rounds: %d" % len(c))
print("norvane-cli detector: wall %.3f s, cpu %.3f s" % (cw, cc))
print("numpy/scipy model:    wall %.3f s, cpu %.3f s, processing only (wall) %.3f s" % (rw, rc, rp))
print("ratio wall %.3f, cpu %.3f, to the model's processing only %.3f" % (cw / rw, cc / rc, cw / rp))
PY
