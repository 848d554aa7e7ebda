#!/usr/bin/python3
"""Checks a recording of a steady sine: it runs on without a gap and is as long as asked.

usage: sine_check.py FILE HZ SECONDS [--lead L]
FILE is a plain 16-bit PCM WAVE file. The sine's phase is followed in 10 ms
pieces against a reference of HZ; a stretch lost, repeated or moved shows as a
jump of the phase between two pieces. The length must be within 1 % of SECONDS;
with --lead, up to L seconds more are allowed too (a source that hands over its
sound ahead of the clock, for a recording stopped by the clock).
Prints what it found; exits 1 on a jump, a wrong frequency or a wrong length.
"""
import sys
import wave

import numpy as np


def main():
    path, hz, seconds = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
    lead = float(sys.argv[sys.argv.index("--lead") + 1]) if "--lead" in sys.argv else 0.0
    with wave.open(path) as w:
        rate, channels = w.getframerate(), w.getnchannels()
        x = np.frombuffer(w.readframes(w.getnframes()), "<i2").astype(float)
    if channels > 1:
        x = x.reshape(-1, channels)[:, 0]
    length = len(x) / rate
    if len(x) < rate // 10 or np.max(np.abs(x)) < 100:
        print(f"length {length:.3f} s: no sine recorded")
        return 1
    spectrum = np.abs(np.fft.rfft(x * np.hanning(len(x))))
    peak = (int(np.argmax(spectrum[1:])) + 1) * rate / len(x)
    n = rate // 100
    z = x * np.exp(-2j * np.pi * hz * np.arange(len(x)) / rate)
    pieces = z[: len(z) // n * n].reshape(-1, n).mean(axis=1)
    steps = np.abs(np.diff(np.unwrap(np.angle(pieces))))
    jumps = [(i + 1) * n / rate for i in np.flatnonzero(steps > 0.3)]
    print(f"length {length:.3f} s of {seconds:.3f} s asked, sine at {peak:.1f} Hz, {len(jumps)} phase jumps"
          + (" at " + ", ".join(f"{t:.2f} s" for t in jumps[:10]) if jumps else ""))
    long_enough = 0.99 * seconds <= length <= 1.01 * seconds + lead
    ok = not jumps and abs(peak - hz) <= max(2.0, hz * 0.01) and long_enough
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
