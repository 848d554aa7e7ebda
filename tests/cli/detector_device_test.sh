#!/usr/bin/env bash
# The virtual detector heard on a private sound server at field recorders'
# rates the server does not take (500 kHz and 1 MHz): a 43 kHz call tuned at
# 40 kHz is heard as a 3 kHz tone, as long as the sound lasts, without a jump
# of its phase; then the server going away in the middle of a detector
# playback. Skips (exit 77) only when pulseaudio is not installed.
# Usage: detector_device_test.sh NORVANE_CLI
set -euo pipefail
cli=$1
py=/usr/bin/python3

. "$(dirname "$0")/private_pulse.sh"
pulse_require parec

dir=$(mktemp -d)
chmod 700 "$dir"
keep_pid=
rec_pid=
cleanup() {
  [ -n "$rec_pid" ] && kill "$rec_pid" 2>/dev/null || true
  [ -n "$keep_pid" ] && kill "$keep_pid" 2>/dev/null || true
  pulse_stop
  rm -rf "$dir"
}
trap cleanup EXIT
pulse_start

for rate in 500000 1000000; do
  "$py" - "$dir/call-$rate.wav" "$rate" <<'PY'
import sys, wave
import numpy as np
path, rate = sys.argv[1], int(sys.argv[2])
t = np.arange(2 * rate) / rate
x = (0.25 * 32767 * np.sin(2 * np.pi * 43000 * t)).astype('<i2')
with wave.open(path, 'wb') as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate); w.writeframes(x.tobytes())
PY
  # Silence keeps the null sink running, so that its monitor hears from the start.
  pacat -d nul --rate=48000 --channels=1 --format=s16le --raw /dev/zero &
  keep_pid=$!
  parec -d nul.monitor --rate=48000 --channels=1 --format=s16le --raw "$dir/heard-$rate.raw" &
  rec_pid=$!
  # The monitor's first second or so is not delivered: start well ahead.
  sleep 2.5
  "$cli" detector "$dir/call-$rate.wav" --play --freq 40000 --speed 1 | tail -1
  sleep 0.5
  kill "$rec_pid" "$keep_pid"
  wait "$rec_pid" "$keep_pid" 2>/dev/null || true
  rec_pid= keep_pid=
  "$py" - "$dir/heard-$rate.raw" "$rate" <<'PY'
import sys
import numpy as np
x = np.fromfile(sys.argv[1], '<i2').astype(float)
loud = np.nonzero(np.abs(x) > 1000)[0]
assert len(loud) > 0, "nothing heard"
y = x[loud[0]:loud[-1] + 1]
seconds = len(y) / 48000
mid = y[len(y) // 10: len(y) - len(y) // 10]
spectrum = np.abs(np.fft.rfft(mid * np.hanning(len(mid))))
peak = np.fft.rfftfreq(len(mid), 1 / 48000)[np.argmax(spectrum)]
# The phase of a 3 kHz tone, block by block of 1/3 ms: no jump anywhere.
n = 16
ref = np.exp(-2j * np.pi * peak * np.arange(len(mid)) / 48000)
phase = np.angle(np.add.reduceat(mid * ref, np.arange(0, len(mid) - n, n)))
jumps = np.sum(np.abs(np.angle(np.exp(1j * np.diff(phase)))) > 0.5)
print(f"{sys.argv[2]} Hz: heard {seconds:.3f} s, tone at {peak:.1f} Hz, {jumps} phase jumps")
assert abs(peak - 3000) < 20, "not the 3 kHz difference tone"
assert 1.9 < seconds < 2.1, "not the sound's length"
assert jumps == 0, "phase jumps"
PY
done

# The server goes away in the middle of a detector playback: the playback
# ends by itself within a few seconds with "End of play", the loss is said
# once on standard error, and the exit status is 1.
"$py" - "$dir/call-long.wav" <<'PY'
import sys, wave
import numpy as np
rate = 192000
t = np.arange(8 * rate) / rate
x = (0.25 * 32767 * np.sin(2 * np.pi * 43000 * t)).astype('<i2')
with wave.open(sys.argv[1], 'wb') as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate); w.writeframes(x.tobytes())
PY
"$cli" detector "$dir/call-long.wav" --play --freq 40000 --speed 1 > "$dir/status-lost.txt" 2> "$dir/err-lost.txt" &
sleep 2
pulse_vanish_under $! 5
tail -1 "$dir/status-lost.txt"
cat "$dir/err-lost.txt"
[ "$(tail -1 "$dir/status-lost.txt")" = "End of play" ]
[ "$vanished_status" -eq 1 ]
[ "$(cat "$dir/err-lost.txt")" = "Playback stopped: the sound output device failed or was removed." ]
echo "detector device test passed"
