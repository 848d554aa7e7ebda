#!/usr/bin/env bash
# The desktop's recording path against a private sound server with a 4 kHz
# sine source: the recording test binary records for a few seconds through
# the recording view and the real sound-server backend, and the sound it
# recorded must run on without a jump of the sine's phase (no stretch lost,
# repeated or moved) and last the time it recorded, within 1 %. The sine
# source hands over its sound up to 2 s ahead of the clock (its latency), so
# a recording stopped by the clock may hold up to that much more, never less.
# Skips (exit 77) only when pulseaudio is not installed.
# Usage: record_desktop_device_test.sh TEST_UI_RECORD
set -euo pipefail
test_binary=$1
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

NORVANE_TEST_RECORD_OUT=$dir/desktop.wav NORVANE_TEST_RECORD_SOURCE=sine NORVANE_TEST_RECORD_SECONDS=10 \
  QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$dir/config \
  "$test_binary" recordsFromTheSoundServer
seconds=$(cat "$dir/desktop.wav.seconds")
echo "recorded for $seconds s"
"$py" "$(dirname "$0")/sine_check.py" "$dir/desktop.wav" 4000 "$seconds" --lead 2.1
echo "desktop record device test passed"
