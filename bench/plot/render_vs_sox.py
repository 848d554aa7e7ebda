#!/usr/bin/python3
"""Times `norvane-cli render` of a 60 s recording as a 1920 x 513 spectrogram
against sox's spectrogram of the same file, whole processes, alternating in
one run, and prints the best and median of 10 of each.

    bench/plot/render_vs_sox.py build/plot-rel/src/cli/norvane-cli
"""
import os
import subprocess
import sys
import tempfile
import time

cli = sys.argv[1] if len(sys.argv) > 1 else "build/release/src/cli/norvane-cli"
work = tempfile.mkdtemp(prefix="nvrender-")
wav = os.path.join(work, "s60.wav")
subprocess.run(["sox", "-n", "-r", "44100", "-b", "16", "-c", "1", wav, "synth", "60",
                "sine", "1000-15000", "vol", "0.5"], check=True)
commands = {
    "norvane-cli render": [cli, "render", wav, "-o", os.path.join(work, "r60.png"), "--view",
                           "spectrogram", "--width", "1920", "--height", "513",
                           "--span-us", "60000000"],
    "norvane-cli render 16x16 oscillogram": [cli, "render", wav, "-o", os.path.join(work, "o.png"),
                                             "--view", "oscillogram", "--width", "16",
                                             "--height", "16"],
    "sox spectrogram": ["sox", wav, "-n", "spectrogram", "-x", "1920", "-y", "513", "-o",
                        os.path.join(work, "sox60.png")],
}
env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
times = {name: [] for name in commands}
for _ in range(10):
    for name, cmd in commands.items():
        t0 = time.perf_counter()
        subprocess.run(cmd, env=env, check=True, stdout=subprocess.DEVNULL)
        times[name].append(time.perf_counter() - t0)
for name, v in times.items():
    v.sort()
    print(f"{name:40s} best {v[0] * 1000:6.1f} ms  median {v[len(v) // 2] * 1000:6.1f} ms")
print("render / sox (best): %.2f" % (times["norvane-cli render"][0] / times["sox spectrogram"][0]))
for f in os.listdir(work):
    os.remove(os.path.join(work, f))
os.rmdir(work)
