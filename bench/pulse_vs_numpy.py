#!/usr/bin/python3
"""Pulse detection of norvane against a vectorised numpy detection.

One minute of 384 kHz 16-bit sound with 600 downward FM calls (80 to 35 kHz,
5 ms, 100 ms apart), the sound of bench_pulse.cpp. The script

  1. times norvane's benchmarks BM_PulseDetection, BM_PulseAnalysisWhole and
     BM_IntervalHistogram (norvane-bench, one thread),
  2. times the same detection written with numpy array operations (threshold,
     above-threshold indices, gaps longer than G, lengths two frames short of
     the span, minimum duration) on the same samples, in the same run,
  3. checks that both find the same pulses: norvane-cli pulses on a WAVE file
     of the sound against the numpy starts and durations.

usage: bench/pulse_vs_numpy.py BUILD_DIR   (a release build with norvane-bench
and norvane-cli); Debian's /usr/bin/python3 with python3-numpy.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
import wave

import numpy as np

RATE = 384000
FRAMES = 60 * RATE
CALLS = 600
# The first-start defaults of the analysis.
THRESHOLD_CENTI_DB = 2000   # 1 % of full scale
SEPARATION_US = 1000
MIN_DURATION_US = 500


def make_sound():
    rng = np.random.default_rng(1)
    x = (rng.random(FRAMES) - 0.5) * 0.001
    n = 5 * RATE // 1000
    t = np.arange(n) / n
    f = 80000.0 - 45000.0 * t
    phase = np.concatenate(([0.0], np.cumsum(2 * np.pi * f / RATE)[:-1]))
    call = 0.5 * np.sin(np.pi * t) ** 2 * np.sin(phase)
    for k in range(CALLS):
        first = 10000 + k * RATE // 10
        x[first:first + n] += call
    return np.clip(np.round(x * 32767.0), -32768, 32767).astype(np.int16)


def numpy_detection(x, rate, expansion=1000):
    """Starts (frames) and durations (us) of the pulses, as norvane detects them."""
    a = np.floor(10.0 ** (-THRESHOLD_CENTI_DB / 1000.0) * 32768 + 0.5)
    g = expansion * rate * SEPARATION_US // 1000000 // 1000
    idx = np.flatnonzero(np.abs(x.astype(np.int32)) > a)
    if idx.size == 0:
        return np.empty(0, np.int64), np.empty(0, np.int64)
    brk = np.flatnonzero(np.diff(idx) - 1 > g)
    starts = idx[np.r_[0, brk + 1]]
    lasts = idx[np.r_[brk, idx.size - 1]]
    lengths = lasts - starts - 1
    # A pulse still open at the end of the range keeps one frame more.
    if x.size - 1 - lasts[-1] <= g:
        lengths[-1] += 1
        if x.size - 1 - starts[-1] == 0:
            lengths = lengths[:-1]
            starts = starts[:-1]
    durations = lengths * 1000000000 // rate // expansion
    keep = durations > MIN_DURATION_US
    return starts[keep], durations[keep]


def time_numpy(x):
    wall, cpu = [], []
    for _ in range(7):
        w0, c0 = time.perf_counter(), time.process_time()
        numpy_detection(x, RATE)
        wall.append(time.perf_counter() - w0)
        cpu.append(time.process_time() - c0)
    return statistics.median(wall), statistics.median(cpu)


def run_bench(build):
    out = subprocess.run(
        [os.path.join(build, "bench", "norvane-bench"),
         "--benchmark_filter=BM_Pulse|BM_IntervalHistogram", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    res = {}
    for b in json.loads(out)["benchmarks"]:
        scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9, "s": 1.0}[b["time_unit"]]
        res[b["name"].split("/")[0]] = (b["real_time"] * scale, b["cpu_time"] * scale)
    return res


def check_same_pulses(build, x, starts, durations):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "calls.wav")
        with wave.open(path, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(x.astype("<i2").tobytes())
        env = dict(os.environ, HOME=d, XDG_CONFIG_HOME=os.path.join(d, ".config"))
        out = subprocess.run(
            [os.path.join(build, "src", "cli", "norvane-cli"), "pulses", path, "--format", "raven",
             "--osc-threshold", str(THRESHOLD_CENTI_DB / 100), "--separation-ms",
             str(SEPARATION_US / 1000), "--min-duration-ms", str(MIN_DURATION_US / 1000)],
            check=True, capture_output=True, text=True, env=env).stdout.splitlines()[1:]
    begin = np.array([float(line.split("\t")[3]) for line in out])
    dur_ms = np.array([float(line.split("\t")[7]) for line in out])
    want_begin = (starts * 1000000000 // RATE // 1000) / 1e6
    return (len(out) == len(starts) and np.allclose(begin, want_begin, atol=1e-6)
            and np.allclose(dur_ms, durations / 1000.0, atol=1e-3))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
    x = make_sound()
    starts, durations = numpy_detection(x, RATE)
    same = check_same_pulses(build, x, starts, durations)
    bench = run_bench(build)
    np_wall, np_cpu = time_numpy(x)
    det_wall, det_cpu = bench["BM_PulseDetection"]
    whole_wall, whole_cpu = bench["BM_PulseAnalysisWhole"]
    hist_wall, hist_cpu = bench["BM_IntervalHistogram"]
    print(f"pulses found: numpy {len(starts)}, same as norvane-cli: {same}")
    print(f"{'step':34} {'wall s':>9} {'cpu s':>9}")
    print(f"{'numpy detection':34} {np_wall:9.4f} {np_cpu:9.4f}")
    print(f"{'norvane detection':34} {det_wall:9.4f} {det_cpu:9.4f}")
    print(f"{'norvane whole analysis (goal 0.15)':34} {whole_wall:9.4f} {whole_cpu:9.4f}")
    print(f"{'norvane interval histogram (0.05)':34} {hist_wall:9.4f} {hist_cpu:9.4f}")
    print(f"numpy / norvane detection (cpu): {np_cpu / det_cpu:.1f}")
    ok = same and len(starts) == CALLS and whole_cpu <= 0.15 and hist_cpu <= 0.05
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
