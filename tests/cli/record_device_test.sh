#!/usr/bin/env bash
# Records one second from a 4 kHz sine source of a private sound server and
# checks the file: a type-5 WAVE of whole blocks whose power spectrum peaks at
# 4 kHz; eight seconds that run on without a gap; then a missing input
# device, bad options, and the server going away in the middle of a
# recording (what was recorded is kept). Skips (exit 77)
# only when pulseaudio is not installed.
# Usage: record_device_test.sh NORVANE_CLI
set -euo pipefail
cli=$1
py=/usr/bin/python3

. "$(dirname "$0")/private_pulse.sh"
pulse_require pactl

dir=$(mktemp -d)
chmod 700 "$dir"
cleanup() {
  pulse_stop
  rm -rf "$dir"
}
trap cleanup EXIT

pulse_start
pactl load-module module-sine-source source_name=sine frequency=4000 rate=44100 >/dev/null

# Bad options lose nothing and say why.
if "$cli" record "$dir/x.wav" --seconds 0 2>"$dir/err"; then echo "0 s accepted"; exit 1; fi
grep -q "seconds" "$dir/err"
if "$cli" record "$dir/x.wav" --seconds 1 --bits 12 2>"$dir/err"; then echo "12 bits accepted"; exit 1; fi
grep -q "8 or 16" "$dir/err"
[ ! -e "$dir/x.wav" ]

# A device the server does not have cannot be opened.
if "$cli" record "$dir/x.wav" --seconds 1 --device no_such_source 2>"$dir/err"; then
  echo "record on a missing device succeeded"
  exit 1
fi
grep -qxF "Failed to open waveform input device." "$dir/err"

"$cli" record "$dir/sine.wav" --seconds 1 --device sine --time-expansion 10 2>"$dir/progress.txt"
cat "$dir/progress.txt"
grep -q "bytes recorded\.$" "$dir/progress.txt"
"$cli" info "$dir/sine.wav" > "$dir/info.txt"
grep -q "time-expansion: 10000" "$dir/info.txt"

grep -qx "type: \[Wave\]" "$dir/info.txt"
grep -qx "channels: 1" "$dir/info.txt"
grep -qx "bits: 16" "$dir/info.txt"
grep -qx "rate: 44100" "$dir/info.txt"
# The samples as a plain WAVE file for the check.
"$cli" convert "$dir/sine.wav" "$dir/plain.wav" --type 1
"$py" - "$dir/plain.wav" "$(grep -o '[0-9]* blocks of [0-9]*' "$dir/progress.txt")" <<'PY'
import sys, wave
import numpy as np
with wave.open(sys.argv[1]) as w:
    rate = w.getframerate()
    x = np.frombuffer(w.readframes(w.getnframes()), "<i2").astype(float)
blocks, _, _, block_bytes = sys.argv[2].split()
assert len(x) * 2 == int(blocks) * int(block_bytes), "not whole blocks"
seconds = len(x) / rate
print(f"recorded {len(x)} frames ({seconds:.3f} s) in {blocks} blocks, peak {np.max(np.abs(x)):.0f}")
assert 1.0 <= seconds < 1.0 + 0.13, f"{seconds} s recorded, not one second of whole blocks"
spectrum = np.abs(np.fft.rfft(x * np.hanning(len(x)))) ** 2
peak = np.fft.rfftfreq(len(x), 1 / rate)[np.argmax(spectrum[1:]) + 1]
print(f"power spectrum peaks at {peak:.1f} Hz")
assert abs(peak - 4000) < 5, f"peak at {peak} Hz, not 4 kHz"
assert np.max(np.abs(x)) > 1000, "silence recorded"
PY

# Eight seconds of the sine run on without a jump of its phase (no stretch
# lost, repeated or moved, although the source hands over up to seconds of
# sound at a time) and last the eight seconds asked for, within 1 %; no
# overrun is said.
"$cli" record "$dir/long.wav" --seconds 8 --device sine 2>"$dir/long.txt"
tail -1 "$dir/long.txt"
if grep -q "overran" "$dir/long.txt"; then cat "$dir/long.txt"; exit 1; fi
"$cli" convert "$dir/long.wav" "$dir/long_plain.wav" --type 1
"$py" "$(dirname "$0")/sine_check.py" "$dir/long_plain.wav" 4000 8

# The server goes away in the middle of a recording: the recording ends with
# a message, and the blocks recorded so far are written.
"$cli" record "$dir/cut.wav" --seconds 20 --device sine 2>"$dir/cut.txt" &
sleep 2
pulse_vanish_under $! 15
cat "$dir/cut.txt"
[ "$vanished_status" -ne 0 ]
grep -q "input device failed or was removed" "$dir/cut.txt"
frames=$("$cli" info "$dir/cut.wav" | sed -n 's/^frames: //p')
echo "kept $frames frames"
[ "$frames" -gt 22050 ]
echo "record device test passed"
