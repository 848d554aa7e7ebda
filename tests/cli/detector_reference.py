#!/usr/bin/python3
"""An independent numpy/scipy model of the virtual bat detector's sound.

Reads a 16-bit or 8-bit PCM WAVE file, mixes its left (or only) channel with
a sine oscillator (recorded Hz = real Hz x 1000 / time-expansion factor,
angle of frame j = (j - first) x f x 6.283185526 / rate), filters the mixed
signal with a Butterworth low-pass designed by scipy (the N mixed frames
before the range count, frames before the file's start do not, past outputs
start at 0), doubles y (the mixing halved the call), limits it smoothly
(linear up to three quarters of full scale, bent by tanh towards full scale
beyond), rounds it half away from zero, keeps every k-th frame of each block
of k x BufferSize bytes (the block holding the range's end is played to its
end) and writes the result as a WAVE file in the input's format. Used by tests/cli/cli_test.sh to check norvane-cli detector and by
bench/detector_bench.sh as the reference it is timed against.

usage: detector_reference.py IN OUT --freq HZ --te THOUSANDTHS [--speed K]
       [--from FRAME --to FRAME] [--order N --cutoff HZ] [--timing]
"""
import argparse
import math
import struct
import sys
import time
import wave

import numpy as np
from scipy import signal


def read_wave(path):
    """(channels, bits, rate, samples as a memory map of the data chunk) of
    the WAVE form, which may follow other top-level RIFF forms."""
    with open(path, "rb") as f:
        while True:
            head = f.read(12)
            if len(head) < 12 or head[:4] != b"RIFF":
                sys.exit("no RIFF WAVE form in " + path)
            if head[8:12] == b"WAVE":
                break
            size = struct.unpack("<I", head[4:8])[0]
            f.seek(size - 4 + (size & 1), 1)
        fmt = None
        while True:
            chunk = f.read(8)
            if len(chunk) < 8:
                sys.exit("no data chunk")
            cid, size = chunk[:4], struct.unpack("<I", chunk[4:])[0]
            if cid == b"fmt ":
                fmt = struct.unpack("<HHIIHH", f.read(16))
                f.seek(size - 16 + (size & 1), 1)
            elif cid == b"data":
                offset = f.tell()
                break
            else:
                f.seek(size + (size & 1), 1)
    _, channels, rate, _, _, bits = fmt
    dtype = np.int16 if bits == 16 else np.uint8
    data = np.memmap(path, dtype=dtype, mode="r", offset=offset, shape=(size // (bits // 8),))
    return channels, bits, rate, data


def buffer_size(channels, bits, rate):
    """BufferSize: about 1/16 s, a multiple of 64 bytes and of the frame size."""
    align = channels * bits // 8
    q = (rate * align // 16) // 64 * 64
    q -= q % align
    return q if q > 0 else 64


def level(y, bits):
    """The played values of filter outputs y: twice y, linear up to three
    quarters of full scale and bent by tanh towards full scale beyond it,
    rounded half away from zero."""
    v = 2.0 * y
    full = np.where(v < 0, 128.0 if bits == 8 else 32768.0, 127.0 if bits == 8 else 32767.0)
    knee = 0.75 * full
    m = np.abs(v)
    over = m > knee
    m[over] = knee[over] + (full[over] - knee[over]) * np.tanh((m[over] - knee[over]) / (full[over] - knee[over]))
    m = np.minimum(np.floor(m + 0.5), full)
    return np.where(v < 0, -m, m)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("inp")
    p.add_argument("out")
    p.add_argument("--freq", type=int, required=True)
    p.add_argument("--te", type=int, required=True)
    p.add_argument("--speed", type=int, default=10)
    p.add_argument("--from", dest="first", type=int, default=0)
    p.add_argument("--to", type=int, default=-1)
    p.add_argument("--order", type=int, default=4)
    p.add_argument("--cutoff", type=int, default=5000)
    p.add_argument("--timing", action="store_true", help="print the seconds from reading to written file on stderr")
    a = p.parse_args()
    start = time.perf_counter()

    channels, bits, rate, data = read_wave(a.inp)
    frames = data.shape[0] // channels
    left = data[::channels][:frames]
    first, end, k = a.first, (frames if a.to < 0 else min(a.to, frames)), a.speed
    te = a.te if a.te > 0 else 1000
    nyquist = (te * rate // 2) // 1000
    b, den = signal.butter(a.order, a.cutoff / nyquist, "lowpass")
    n = a.order

    block_frames = k * (buffer_size(channels, bits, rate) // (channels * bits // 8))
    blocks = -(-(end - first) // block_frames)
    stop = min(first + blocks * block_frames, frames)

    # The range and the n frames before it (those before the file are 0).
    lo = max(first - n, 0)
    x = np.zeros(stop - (first - n))
    raw = left[lo:stop].astype(np.float64)
    if bits == 8:
        raw -= 128.0
    x[lo - (first - n):] = raw
    f_rec = a.freq * 1000 // te
    theta = f_rec * (6.283185526 / rate)
    angle = theta * np.arange(-n, stop - first, dtype=np.float64)
    mixed = x * np.sin(angle)
    # Past outputs 0, past inputs the mixed frames before the range.
    zi = signal.lfiltic(b, den, np.zeros(n), mixed[:n][::-1])
    y, _ = signal.lfilter(b, den, mixed[n:], zi=zi)

    # Every k-th frame from each block's start; blocks are whole multiples of k.
    out = level(y[::k], bits)
    if bits == 8:
        out = (out + 128).astype(np.uint8)
    else:
        out = out.astype("<i2")
    if channels == 2:
        out = np.repeat(out, 2)
    with wave.open(a.out, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(bits // 8)
        w.setframerate(rate)
        w.writeframes(out.tobytes())
    if a.timing:
        print("%.4f" % (time.perf_counter() - start), file=sys.stderr)


if __name__ == "__main__":
    main()
