#!/usr/bin/env bash
# Takes a screenshot of the recording view's sweep display while it records
# a 4 kHz sine from a private sound server, under a virtual X server.
# Needs xvfb-run, xdotool, xwd, pulseaudio and /usr/bin/python3 with numpy.
# Usage: xvfb-run -a -s "-screen 0 1100x720x24" scripts/screenshot_recording.sh NORVANE OUT.png
set -euo pipefail
app=$1; out=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/cli/private_pulse.sh"
pulse_require pactl
dir=$(mktemp -d); chmod 700 "$dir"
pulse_start
pactl load-module module-sine-source source_name=sine frequency=4000 rate=44100 >/dev/null
pactl set-default-source sine
/usr/bin/python3 - "$dir/start.wav" <<'PY'
import sys, wave
import numpy as np
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100); w.writeframes(np.zeros(4410, "<i2").tobytes())
PY
"$app" "$dir/start.wav" > "$dir/app.log" 2>&1 &
app_pid=$!
sleep 4
wid=$(xdotool search --name Norvane | head -1)
xdotool windowsize "$wid" 1100 700; xdotool mousemove 500 250 click 1
sleep 1
# R opens the recording view; Return answers the append question (OK).
xdotool key r
sleep 1.5
xdotool key Return
sleep 7
xwd -root -silent > "$dir/shot.xwd"; /usr/bin/python3 "$here/xwd_to_png.py" "$dir/shot.xwd" "$out"
kill "$app_pid" 2>/dev/null || true
sleep 1; kill -9 "$app_pid" 2>/dev/null || true
pulse_stop
cat "$dir/app.log" | tail -5
rm -rf "$dir"
