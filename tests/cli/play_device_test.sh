#!/usr/bin/env bash
# Plays a 1 kHz tone at speed 1/4 through a private sound server and checks,
# from what the server's null sink played, that a 250 Hz tone of four times
# the sound's length was heard; then speed 4 of a sound whose rate the server
# cannot take (resampled on the way), a missing device, and the server going
# away in the middle of a playback (said, with exit status 1). Skips (exit 77) only when pulseaudio is not
# installed.
# Usage: play_device_test.sh NORVANE_CLI
set -euo pipefail
cli=$1
py=/usr/bin/python3

. "$(dirname "$0")/private_pulse.sh"
pulse_require parec

dir=$(mktemp -d)
chmod 700 "$dir"
parec_pid=
silence_pid=
cleanup() {
  [ -n "$parec_pid" ] && kill "$parec_pid" 2>/dev/null || true
  [ -n "$silence_pid" ] && kill "$silence_pid" 2>/dev/null || true
  pulse_stop
  rm -rf "$dir"
}
trap cleanup EXIT

pulse_start

# The device list names the null sink and its monitor.
"$cli" devices > "$dir/devices.txt"
cat "$dir/devices.txt"
grep -q "^output	nul	" "$dir/devices.txt"
grep -q "^input	nul.monitor	" "$dir/devices.txt"

# One second of a 1 kHz tone at 44 100 Hz, 16-bit mono.
"$py" - "$dir/tone.wav" <<'PY'
import sys, wave
import numpy as np
rate = 44100
t = np.arange(rate) / rate
s = (12000 * np.sin(2 * np.pi * 1000 * t)).astype("<i2")
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate); w.writeframes(s.tobytes())
PY

# A device the server does not have cannot be opened.
if "$cli" play "$dir/tone.wav" --device no_such_sink 2>"$dir/err" >/dev/null; then
  echo "play on a missing device succeeded"
  exit 1
fi
grep -qxF "Failed to open waveform output device." "$dir/err"

# Silence keeps the null sink running, so that its monitor records from the
# first moment of the tone on.
pacat --device=nul --rate=44100 --channels=1 --format=s16le --raw < /dev/zero &
silence_pid=$!
parec -d nul.monitor --rate=44100 --channels=1 --format=s16le --raw "$dir/heard.raw" &
parec_pid=$!
# Play only once the recording runs (a busy machine may take a while).
for _ in $(seq 100); do
  [ "$(stat -c %s "$dir/heard.raw" 2>/dev/null || echo 0)" -gt 8820 ] && break
  sleep 0.1
done
"$cli" play "$dir/tone.wav" --speed 1/4 --device nul > "$dir/status.txt"
sleep 0.5
kill "$parec_pid" "$silence_pid"
wait "$parec_pid" "$silence_pid" 2>/dev/null || true
parec_pid=
silence_pid=

head -2 "$dir/status.txt"
tail -1 "$dir/status.txt"
[ "$(head -1 "$dir/status.txt")" = "Playing 0.00 - 1.00 " ]
[ "$(tail -1 "$dir/status.txt")" = "End of play" ]

"$py" - "$dir/heard.raw" <<'PY'
import sys
import numpy as np
rate = 44100
x = np.fromfile(sys.argv[1], "<i2").astype(float)
loud = np.nonzero(np.abs(x) > 2000)[0]
assert len(loud) > 0, "nothing was heard"
seg = x[loud[0]:loud[-1] + 1]
seconds = len(seg) / rate
spectrum = np.abs(np.fft.rfft(seg * np.hanning(len(seg))))
peak = np.fft.rfftfreq(len(seg), 1 / rate)[np.argmax(spectrum)]
print(f"heard {seconds:.3f} s of a {peak:.1f} Hz tone, peak {np.max(np.abs(seg)):.0f}")
assert abs(peak - 250) < 2, f"tone at {peak} Hz, not 250 Hz"
assert abs(seconds - 4.0) < 0.02, f"{seconds} s heard, not 4"
assert abs(np.max(np.abs(seg)) - 12000) < 600, "level changed"
PY
# Speed 4 of a 250 kHz sound asks for 1 000 000 Hz, more than the server
# takes: the sound goes through the resampler and a 1 kHz tone of 2 s is
# heard as 4 kHz for 0.5 s.
"$py" - "$dir/fast.wav" <<'PY'
import sys, wave
import numpy as np
rate = 250000
t = np.arange(2 * rate) / rate
s = (12000 * np.sin(2 * np.pi * 1000 * t)).astype("<i2")
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate); w.writeframes(s.tobytes())
PY
pacat --device=nul --rate=44100 --channels=1 --format=s16le --raw < /dev/zero &
silence_pid=$!
parec -d nul.monitor --rate=44100 --channels=1 --format=s16le --raw "$dir/heard4.raw" &
parec_pid=$!
for _ in $(seq 100); do
  [ "$(stat -c %s "$dir/heard4.raw" 2>/dev/null || echo 0)" -gt 8820 ] && break
  sleep 0.1
done
"$cli" play "$dir/fast.wav" --speed 4 --device nul > "$dir/status4.txt"
sleep 0.5
kill "$parec_pid" "$silence_pid"
wait "$parec_pid" "$silence_pid" 2>/dev/null || true
parec_pid=
silence_pid=
[ "$(tail -1 "$dir/status4.txt")" = "End of play" ]
"$py" - "$dir/heard4.raw" <<'PY'
import sys
import numpy as np
rate = 44100
x = np.fromfile(sys.argv[1], "<i2").astype(float)
loud = np.nonzero(np.abs(x) > 2000)[0]
assert len(loud) > 0, "nothing was heard"
seg = x[loud[0]:loud[-1] + 1]
seconds = len(seg) / rate
spectrum = np.abs(np.fft.rfft(seg * np.hanning(len(seg))))
peak = np.fft.rfftfreq(len(seg), 1 / rate)[np.argmax(spectrum)]
print(f"speed 4: heard {seconds:.3f} s of a {peak:.1f} Hz tone, peak {np.max(np.abs(seg)):.0f}")
assert abs(peak - 4000) < 10, f"tone at {peak} Hz, not 4 kHz"
assert abs(seconds - 0.5) < 0.02, f"{seconds} s heard, not 0.5"
assert abs(np.max(np.abs(seg)) - 12000) < 1200, "level changed"
PY

# The server goes away in the middle of a playback: the playback ends with
# "End of play", nothing hangs, the loss is said once on standard error and
# the exit status is 1.
"$cli" play "$dir/tone.wav" --speed 1/4 --device nul > "$dir/status2.txt" 2> "$dir/err2.txt" &
sleep 1.5
pulse_vanish_under $! 10
tail -1 "$dir/status2.txt"
cat "$dir/err2.txt"
[ "$(tail -1 "$dir/status2.txt")" = "End of play" ]
[ "$vanished_status" -eq 1 ]
[ "$(cat "$dir/err2.txt")" = "Playback stopped: the sound output device failed or was removed." ]
echo "play device test passed"
