#!/usr/bin/python3
# Prints the reference levels of PowerSpectrumReferenceTest.cpp, computed
# independently with numpy's FFT (frames placed and averaged as the
# window does, samples past the end taken as zero).
# Run with Debian's python3-numpy/scipy: /usr/bin/python3 make_reference.py
import numpy as np
import scipy

def signal(count):
    i = np.arange(count, dtype=np.int64)
    noise = (i * 7919) % 2001 - 1000
    tone = np.round(12000.0 * np.sin(2 * np.pi * i * 0.0371) + 3000.0 * np.cos(2 * np.pi * i * 0.211))
    return (noise + tone).astype(np.float64)

def hanning(n):
    i = np.arange(n, dtype=np.float64)
    return 2.0 * (1.0 - np.cos(6.283 * i / (n - 1))) * 0.5

def levels(x, start, end, n, w):
    if end - start < n:
        end = start + n
    a = end - start
    frames = -(-a // n)
    p = np.zeros(n // 2)
    for k in range(frames):
        first = k * (a - n) // frames
        if first + n > a:
            first = a - n
        seg = np.zeros(n)
        lo = start + first
        part = x[lo:lo + n]
        seg[:len(part)] = part
        X = np.fft.rfft(seg * w) / n
        pw = 4.0 * np.abs(X[:n // 2]) ** 2 / 2.0 ** 30
        pw[0] = X[0].real ** 2 / 2.0 ** 28
        p += pw
    scale = (n / w.sum()) ** 2
    return 10 * np.log10(p / frames * scale)

x = signal(20000)
print("// scipy", scipy.__version__, "numpy", np.__version__)
for (start, end, n) in [(100, 100 + 5 * 1024 // 2, 1024), (0, 20000, 256), (19000, 20000, 2048)]:
    L = levels(x, start, end, n, hanning(n))
    bins = [0, 1, 5, n // 32, n // 8, n // 4, n // 2 - 1]
    print("{%d, %d, %d, {%s}, {%s}}," % (start, end, n, ", ".join(map(str, bins)),
                                        ", ".join("%.12g" % L[b] for b in bins)))
