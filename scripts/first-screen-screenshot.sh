#!/usr/bin/env bash
# Starts norvane for the first time (a clean profile) in a virtual X display
# on a half-second 384 kHz field-style recording with five FM bat calls, and
# saves the first screen as DIR/first-screen.png (default docs/screenshots):
# the sound fitted to the window, the marking cursor chosen on the toolbar.
# Needs xvfb-run, xdotool and xwd (packages xvfb, xdotool, x11-apps).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/release}
out=${1:-docs/screenshots}
mkdir -p "$out"
field=$(mktemp -d)/field.wav
python3 - "$field" <<'PY'
import math, random, struct, sys, wave
rate = 384000
rng = random.Random(7)
s = [rng.randint(-40, 40) for _ in range(rate // 2)]
for k, start in enumerate((0.04, 0.125, 0.21, 0.30, 0.385)):
    n = rate * 5 // 1000
    first, phase, level = int(start * rate), 0.0, 9000 + 3000 * (k % 3)
    for i in range(n):
        f = 85000.0 * (30000.0 / 85000.0) ** (i / n)  # a steep FM sweep
        phase += 2 * math.pi * f / rate
        s[first + i] += int(level * math.sin(math.pi * i / n) * math.sin(phase))
w = wave.open(sys.argv[1], "wb")
w.setnchannels(1)
w.setsampwidth(2)
w.setframerate(rate)
w.writeframes(struct.pack("<%dh" % len(s), *s))
w.close()
PY

inner=$(mktemp)
cat > "$inner" <<INNER
set -e
export XDG_CONFIG_HOME=\$(mktemp -d)
"$build/src/ui/norvane" "$field" &
pid=\$!
sleep 3
win=\$(xdotool search --sync --name "Norvane - field.wav" | head -1)
xdotool windowmove "\$win" 0 0 windowsize "\$win" 1280 800 windowfocus --sync "\$win"
sleep 2
xwd -root -silent > "$out/first-screen.xwd"
python3 scripts/xwd2png.py "$out/first-screen.xwd" "$out/first-screen.png"
rm "$out/first-screen.xwd"
kill \$pid
INNER
xvfb-run -a -s "-screen 0 1280x800x24" bash "$inner"
rm -f "$inner"
ls "$out/first-screen.png"
