#!/usr/bin/python3
# The power spectrum of 60 s of 384 kHz 16-bit sound (N = 1024, Hanning)
# next to scipy.signal.welch on the same samples, in the same run, one core.
# Usage: /usr/bin/python3 bench/spectrum_vs_scipy.py build/release/bench/norvane-bench
# Welch takes 22 500 segments at multiples of 1024 (no overlap); the power
# window takes 22 500 frames at floor(k (a - N) / 22 500): the same count,
# each start at most one sample apart.
import json, os, subprocess, sys, time
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")
os.environ.setdefault("OMP_NUM_THREADS", "1")
import numpy as np
import scipy.signal as sg

FRAMES = 60 * 384000

def sound():
    # Same linear congruential generator as bench_spectrum.cpp, vectorised in blocks.
    out = np.empty(FRAMES, dtype=np.int64)
    a, c, m = 1664525, 1013904223, 1 << 32
    state = 12345
    block = 1 << 16
    mults = [1]
    for _ in range(block):
        mults.append(mults[-1] * a % m)
    mults = np.array(mults[1:], dtype=np.uint64)
    adds = np.zeros(block, dtype=np.uint64)
    acc = 0
    for i in range(block):
        acc = (acc * a + c) % m
        adds[i] = acc
    for start in range(0, FRAMES, block):
        n = min(block, FRAMES - start)
        vals = (mults[:n] * np.uint64(state) + adds[:n]) % np.uint64(m)
        out[start:start + n] = vals.astype(np.int64)
        state = int(vals[n - 1])
    i = np.arange(FRAMES, dtype=np.int64)
    v = (out >> 20) - 2048 + (i % 97) * 200 - 9600
    return np.clip(v, -32768, 32767).astype(np.int16)

def main():
    bench = sys.argv[1]
    x = sound().astype(np.float64)
    n = 1024
    w = (1.0 - np.cos(6.283 * np.arange(n) / (n - 1))) * 0.5
    times = []
    for _ in range(5):
        t0 = time.perf_counter()
        f, p = sg.welch(x, fs=384000, window=w, nperseg=n, noverlap=0, detrend=False,
                        scaling="spectrum", average="mean")
        times.append(time.perf_counter() - t0)
    scipy_ms = 1000 * sorted(times)[len(times) // 2]
    out = subprocess.run([bench, "--benchmark_filter=BM_PowerSpectrum60s|BM_PowerFollowCursor16384",
                          "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                          "--benchmark_format=json"], capture_output=True, text=True, check=True)
    res = {b["name"]: b for b in json.loads(out.stdout)["benchmarks"]}
    ours_ms = res["BM_PowerSpectrum60s/real_time_median"]["real_time"]
    follow_us = res["BM_PowerFollowCursor16384_median"]["real_time"]
    print(f"scipy.signal.welch (median of 5): {scipy_ms:.1f} ms")
    print(f"BM_PowerSpectrum60s (median of 5): {ours_ms:.1f} ms  ratio {ours_ms / scipy_ms:.3f}")
    print(f"BM_PowerFollowCursor16384 (median of 5): {follow_us:.0f} us")

if __name__ == "__main__":
    main()
