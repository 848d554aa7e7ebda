#!/usr/bin/python3
"""Synthetic field recordings of bat calls with known answers, and their score.

  field_calls.py make DIR [--files N] [--seconds S] [--seed K] [--rate HZ]
      writes N WAVE files (16-bit mono) and DIR/truth.tsv. Each file holds,
      over a background of white, pink and band-limited (wind) noise, an
      insect's continuous band and clicks of handling noise, a sequence of
      bat calls of four shapes:
        FM       steep downward sweep (e.g. 110 -> 35 kHz), 1 to 5 ms
        FM-QCF   sweep ending in a shallow tail (70 -> 45 kHz), 3 to 8 ms
        QCF      shallow sweep (30 -> 20 kHz), 8 to 25 ms
        CF-FM    constant frequency (80 to 110 kHz) 20 to 60 ms, with FM ends
      with short onsets (0.1 to 0.3 ms), half of them with an echo 0.5 to 3 ms
      later and 10 to 20 dB weaker. Every call has its own signal-to-noise
      ratio, drawn evenly from 0 to 45 dB: the call's power at its envelope's
      peak over the power of the background (noise and insect, not clicks) in
      the band from 15 kHz to the Nyquist frequency. Sampling rates 192, 250,
      384 and 500 kHz; every fourth file is a tenfold time-expanded copy
      (stored at a tenth of the rate with a GUANO "TE: 10" chunk), its truth
      in real time and real frequency. --rate gives every file that rate
      (none time-expanded).
      truth.tsv: file, kind (call or click), start (s), end (s), end with
      the echo (s), lowest and highest frequency (Hz), SNR (dB), shape.

  field_calls.py score DIR CLI [pulses options...] [--json]
      runs CLI pulses FILE --format raven with the options on every file and
      compares: a call is found when a pulse overlaps it (its span with its
      echo); a pulse is right when it overlaps a call. Prints recall and
      precision by SNR, the calls found by a pulse of their own (not merged
      with another call) and the calls merged or split, the start-time error of the first overlapping pulse
      and the errors of its low and high frequency.

Seeded: the same arguments give the same files. Needs numpy
(Debian's /usr/bin/python3 with python3-numpy).
"""
import json
import os
import struct
import subprocess
import sys

import numpy as np

DETECT_LOW_HZ = 15000.0
RATES = [192000, 250000, 384000, 500000]
SHAPES = ["FM", "FM-QCF", "QCF", "CF-FM"]


def write_wave(path, samples, rate, guano=None):
    data = samples.astype("<i2").tobytes()
    chunks = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
    chunks += b"data" + struct.pack("<I", len(data)) + data + (b"\0" if len(data) & 1 else b"")
    if guano is not None:
        g = guano.encode()
        chunks += b"guan" + struct.pack("<I", len(g)) + g + (b"\0" if len(g) & 1 else b"")
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks)


def band_power(x, rate, lo, hi):
    """Mean power of x in the band [lo, hi) Hz."""
    spectrum = np.fft.rfft(x)
    f = np.fft.rfftfreq(len(x), 1.0 / rate)
    sel = (f >= lo) & (f < hi)
    return 2.0 * np.sum(np.abs(spectrum[sel]) ** 2) / len(x) ** 2


def shaped_noise(rng, n, rate, slope, lo=0.0, hi=None):
    """Gaussian noise with power density f^slope in [lo, hi), unit variance."""
    spectrum = rng.standard_normal(n // 2 + 1) + 1j * rng.standard_normal(n // 2 + 1)
    f = np.fft.rfftfreq(n, 1.0 / rate)
    g = np.zeros_like(f)
    hi = hi if hi is not None else rate / 2
    sel = (f >= max(lo, 1.0)) & (f < hi)
    g[sel] = f[sel] ** (slope / 2.0)
    x = np.fft.irfft(spectrum * g, n)
    return x / (np.std(x) + 1e-30)


def call_wave(rng, shape, rate, nyquist):
    """One call: samples, duration (s), lowest and highest frequency (Hz)."""
    top = min(120000.0, 0.9 * nyquist)
    if shape == "FM":
        dur = rng.uniform(0.001, 0.005)
        f0 = rng.uniform(min(80000.0, top - 5000), top)
        f1 = rng.uniform(25000.0, 45000.0)
        # hyperbolic sweep: steep at first, slower at the end
        n = int(dur * rate)
        t = np.arange(n) / rate
        k = (f0 - f1) / (f1 * dur)
        f = f0 / (1 + k * t)
    elif shape == "FM-QCF":
        dur = rng.uniform(0.003, 0.008)
        f0 = rng.uniform(60000.0, min(80000.0, top))
        f1 = rng.uniform(40000.0, 50000.0)
        n = int(dur * rate)
        t = np.arange(n) / n
        f = f1 + (f0 - f1) * np.exp(-t * 6.0)
    elif shape == "QCF":
        dur = rng.uniform(0.008, 0.025)
        f0 = rng.uniform(26000.0, 34000.0)
        f1 = rng.uniform(18000.0, 24000.0)
        n = int(dur * rate)
        t = np.arange(n) / n
        f = f0 + (f1 - f0) * t
    else:  # CF-FM
        dur = rng.uniform(0.020, 0.060)
        cf = rng.uniform(min(80000.0, top - 20000), min(110000.0, top - 4000))
        n = int(dur * rate)
        t = np.arange(n) / rate
        up, down = 0.0015, 0.0025
        f = np.full(n, cf)
        f[t < up] = cf - 4000.0 + 4000.0 * t[t < up] / up
        tail = t > dur - down
        f[tail] = cf - 15000.0 * (t[tail] - (dur - down)) / down
    phase = 2 * np.pi * np.cumsum(f) / rate
    n = len(f)
    ramp = max(2, int(min(rng.uniform(0.0001, 0.0003), 0.2 * dur) * rate))
    env = np.ones(n)
    r = 0.5 - 0.5 * np.cos(np.pi * np.arange(ramp) / ramp)
    env[:ramp] = r
    env[n - ramp:] = np.minimum(env[n - ramp:], r[::-1])
    if shape in ("FM", "FM-QCF"):
        # strongest a third into the call
        t = np.arange(n) / n
        env *= 0.4 + 0.6 * np.exp(-((t - 0.33) / 0.3) ** 2)
    return env * np.sin(phase), dur, float(f.min()), float(f.max())


def make_file(rng, index, seconds, expanded, fixed_rate=None):
    rate = fixed_rate or (384000 if expanded else RATES[index % len(RATES)])
    nyquist = rate / 2
    n = int(seconds * rate)
    # Background: white, pink and wind (band-limited below 2 kHz), an insect.
    white = shaped_noise(rng, n, rate, 0.0)
    pink = shaped_noise(rng, n, rate, -1.0, lo=100.0)
    wind = shaped_noise(rng, n, rate, 0.0, lo=20.0, hi=2000.0)
    if rng.random() < 0.75:
        ic = rng.uniform(6000.0, 12000.0)
        insect_level = rng.uniform(0.3, 3.0)
    else:
        ic = rng.uniform(20000.0, 28000.0)
        insect_level = rng.uniform(0.1, 0.3)
    insect = shaped_noise(rng, n, rate, 0.0, lo=ic - 1500, hi=ic + 1500)
    # the insect chirps: its level swings at 20 to 40 Hz
    tt = np.arange(n) / rate
    insect *= 0.6 + 0.4 * np.sin(2 * np.pi * rng.uniform(20, 40) * tt)
    mix = [rng.uniform(0.2, 1.0), rng.uniform(0.5, 3.0), rng.uniform(2.0, 20.0)]
    background = mix[0] * white + mix[1] * pink + mix[2] * wind + insect_level * insect
    # the background's level in the band: -65 to -45 dB re full scale
    p_band = band_power(background, rate, DETECT_LOW_HZ, nyquist)
    target = 10 ** (rng.uniform(-65.0, -45.0) / 10.0)
    background *= np.sqrt(target / p_band)
    noise_power = target
    x = background.copy()

    truth = []
    # Calls one after the other with 8 to 120 ms of silence between them.
    t = rng.uniform(0.005, 0.05)
    while True:
        shape = SHAPES[rng.integers(len(SHAPES))]
        wave, dur, fmin, fmax = call_wave(rng, shape, rate, nyquist)
        echo = rng.random() < 0.5
        delay = rng.uniform(0.0005, 0.003) if echo else 0.0
        span_end = t + dur + delay
        if span_end + 0.005 > seconds:
            break
        snr = rng.uniform(0.0, 45.0)
        amp = np.sqrt(2 * noise_power * 10 ** (snr / 10.0))
        if amp > 0.7:
            amp = 0.7
            snr = 10 * np.log10(amp * amp / 2 / noise_power)
        i0 = int(round(t * rate))
        x[i0:i0 + len(wave)] += amp * wave
        if echo:
            j0 = int(round((t + delay) * rate))
            x[j0:j0 + len(wave)] += amp * 10 ** (-rng.uniform(10, 20) / 20.0) * wave
        truth.append(("call", t, t + dur, span_end, fmin, fmax, snr, shape))
        t = span_end + rng.uniform(0.008, 0.12)
    # Clicks of handling noise: a thump (decaying low-frequency ringing)
    # with a sharp broadband edge, 3 to 6 per file, between the calls.
    for _ in range(int(rng.integers(3, 7))):
        for _try in range(20):
            c = rng.uniform(0.01, seconds - 0.01)
            if all(c + 0.006 < a[1] or c - 0.002 > a[3] for a in truth):
                break
        else:
            continue
        i0 = int(c * rate)
        m = int(0.004 * rate)
        tc = np.arange(m) / rate
        thump = np.exp(-tc / 0.0008) * np.sin(2 * np.pi * rng.uniform(300, 1500) * tc)
        edge = np.zeros(m)
        edge[:3] = [1.0, -0.6, 0.2]
        level = 10 ** (rng.uniform(-20.0, -6.0) / 20.0)
        x[i0:i0 + m] += level * (thump + 0.1 * edge)
        truth.append(("click", c, c + 0.004, c + 0.004, 0.0, 0.0, 0.0, "click"))
    samples = np.clip(np.round(x * 32767), -32768, 32767).astype(np.int16)
    return samples, rate, truth


def make(args):
    out = args[0]
    files = 24
    seconds = 2.0
    seed = 1
    fixed_rate = None
    i = 1
    while i < len(args):
        if args[i] == "--files":
            files = int(args[i + 1])
        elif args[i] == "--seconds":
            seconds = float(args[i + 1])
        elif args[i] == "--seed":
            seed = int(args[i + 1])
        elif args[i] == "--rate":
            fixed_rate = int(args[i + 1])
        i += 2
    os.makedirs(out, exist_ok=True)
    rng = np.random.default_rng(seed)
    lines = ["file\tkind\tstart_s\tend_s\tend_echo_s\tlow_hz\thigh_hz\tsnr_db\tshape"]
    for k in range(files):
        expanded = k % 4 == 3 and fixed_rate is None
        samples, rate, truth = make_file(rng, k, seconds, expanded, fixed_rate)
        name = f"field{k:03d}.wav"
        if expanded:
            write_wave(os.path.join(out, name), samples, rate // 10, "GUANO|Version: 1.0\nTE: 10\n")
        else:
            write_wave(os.path.join(out, name), samples, rate)
        for kind, a, b, e, lo, hi, snr, shape in truth:
            lines.append(f"{name}\t{kind}\t{a:.6f}\t{b:.6f}\t{e:.6f}\t{lo:.0f}\t{hi:.0f}\t{snr:.2f}\t{shape}")
    with open(os.path.join(out, "truth.tsv"), "w") as f:
        f.write("\n".join(lines) + "\n")


def read_truth(folder):
    rows = []
    with open(os.path.join(folder, "truth.tsv")) as f:
        next(f)
        for line in f:
            p = line.rstrip("\n").split("\t")
            rows.append({"file": p[0], "kind": p[1], "start": float(p[2]), "end": float(p[3]),
                         "span_end": float(p[4]), "low": float(p[5]), "high": float(p[6]),
                         "snr": float(p[7]), "shape": p[8]})
    return rows


def run_pulses(cli, path, options):
    env = dict(os.environ)
    out = subprocess.run([cli, "pulses", path, "--format", "raven"] + options,
                         capture_output=True, text=True, env=env)
    if out.returncode != 0:
        raise SystemExit(f"{cli} pulses {path} failed: {out.stderr.strip()}")
    pulses = []
    for line in out.stdout.splitlines()[1:]:
        p = line.split("\t")
        pulses.append({"start": float(p[3]), "end": float(p[4]), "low": float(p[5]), "high": float(p[6])})
    return pulses


def score(args):
    folder, cli = args[0], args[1]
    options = [a for a in args[2:] if a != "--json"]
    truth = read_truth(folder)
    files = sorted({t["file"] for t in truth} | {f for f in os.listdir(folder) if f.endswith(".wav")})
    calls = [t for t in truth if t["kind"] == "call"]
    found = {}
    pulses_total = 0
    pulses_right = 0
    pulses_click = 0
    split = 0
    merged = set()
    start_err, low_err, high_err = [], [], []
    for name in files:
        pulses = run_pulses(cli, os.path.join(folder, name), options)
        mine = [c for c in calls if c["file"] == name]
        clicks = [c for c in truth if c["file"] == name and c["kind"] == "click"]
        pulses_total += len(pulses)
        for p in pulses:
            if any(p["start"] <= c["span_end"] and p["end"] >= c["start"] for c in mine):
                pulses_right += 1
            elif any(p["start"] <= c["end"] and p["end"] >= c["start"] for c in clicks):
                pulses_click += 1
        for c in mine:
            over = [p for p in pulses if p["start"] <= c["span_end"] and p["end"] >= c["start"]]
            key = (name, c["start"])
            found[key] = bool(over)
            if not over:
                continue
            if len(over) > 1:
                split += 1
            first = min(over, key=lambda p: p["start"])
            if any(o is not c and first["start"] <= o["span_end"] and first["end"] >= o["start"] for o in mine):
                merged.add(key)
            if c["snr"] >= 10:
                start_err.append(abs(first["start"] - c["start"]) * 1000.0)
                if first["high"] > 0:
                    low_err.append(abs(first["low"] - c["low"]) / 1000.0)
                    high_err.append(abs(first["high"] - c["high"]) / 1000.0)
    bins = [(0, 10), (10, 20), (20, 30), (30, 46)]
    res = {"options": " ".join(options) or "(first-start defaults)", "files": len(files), "calls": len(calls)}
    for lo, hi in bins:
        sel = [c for c in calls if lo <= c["snr"] < hi]
        res[f"recall_snr_{lo}_{hi}"] = sum(found[(c["file"], c["start"])] for c in sel) / max(1, len(sel))
    sel = [c for c in calls if c["snr"] >= 10]
    res["calls_snr_10_up"] = len(sel)
    res["recall_snr_10_up"] = sum(found[(c["file"], c["start"])] for c in sel) / max(1, len(sel))
    res["recall_all"] = sum(found.values()) / max(1, len(found))
    # found by a pulse of its own: the first overlapping pulse overlaps no
    # other call
    res["recall_alone_snr_10_up"] = sum(found[(c["file"], c["start"])] and (c["file"], c["start"]) not in merged
                                        for c in sel) / max(1, len(sel))
    res["calls_merged"] = len(merged)
    res["pulses"] = pulses_total
    res["precision"] = pulses_right / max(1, pulses_total)
    res["pulses_on_clicks"] = pulses_click
    res["calls_split"] = split

    def pct(v, q):
        return float(np.percentile(v, q)) if v else float("nan")

    res["start_err_ms_median"] = pct(start_err, 50)
    res["start_err_ms_p95"] = pct(start_err, 95)
    res["start_err_ms_max"] = max(start_err) if start_err else float("nan")
    res["low_err_khz_median"] = pct(low_err, 50)
    res["low_err_khz_p90"] = pct(low_err, 90)
    res["high_err_khz_median"] = pct(high_err, 50)
    res["high_err_khz_p90"] = pct(high_err, 90)
    if "--json" in args:
        print(json.dumps(res))
    else:
        for k, v in res.items():
            print(f"{k:24} {v:.3f}" if isinstance(v, float) else f"{k:24} {v}")


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("make", "score"):
        sys.stderr.write(__doc__)
        sys.exit(2)
    if sys.argv[1] == "make":
        make(sys.argv[2:])
    else:
        score(sys.argv[2:])


if __name__ == "__main__":
    main()
