#!/usr/bin/env bash
# norvane-cli pulses and histogram as whole processes, on the demo recording.
set -u
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# A private home: no stored settings of the desktop application are read.
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config"
mkdir -p "$HOME"
fails=0
passes=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $name"; fails=$((fails + 1)); fi
}

"$cli" demo "$dir/demo.wav"
"$cli" pulses "$dir/demo.wav" >"$dir/p" 2>"$dir/err"
check "pulses exits 0" test $? -eq 0
check "pulses prints nothing on stderr" test ! -s "$dir/err"
title=$'Puls# \tStart osc. (ms) \tStop osc. (ms) \tDuration osc. (ms) \tMax freq. (Hz)\tMin freq. (Hz)\tFreq. at max amp. (Hz)\tMax freq amplitude (dB)\t'
check "first row holds the long titles" test "$(head -1 "$dir/p")" = "$title"
# 48 calls, two of which overlap in time: 47 pulses.
check "each call one pulse" test "$(wc -l <"$dir/p")" -eq 48
check "first call at 50 ms" grep -qE $'^    1 \t 50\\.[0-9]+ \t 52\\.[0-9]+ \t' "$dir/p"
check "every pulse has frequency measures" \
  test "$(awk -F'\t' 'NR > 1 && $5 + 0 > 55000 && $6 + 0 > 30000 && $6 + 0 < 50000 && $7 + 0 > $6 + 0' "$dir/p" | wc -l)" -eq 47
check "last pulse numbered 47" grep -qE $'^   47 \t 2911\\.' "$dir/p"

"$cli" pulses "$dir/demo.wav" --osc-threshold 20 >"$dir/plus"
"$cli" pulses "$dir/demo.wav" --osc-threshold -20 >"$dir/minus"
check "threshold sign ignored" cmp -s "$dir/plus" "$dir/minus"
check "default threshold is -20 dB" cmp -s "$dir/plus" "$dir/p"

# 44100 frames of the tenfold expanded demo are 100 ms of real time.
"$cli" pulses "$dir/demo.wav" --from 0 --to 44100 >"$dir/first"
check "range of the first 100 ms" test "$(wc -l <"$dir/first")" -eq 2
"$cli" pulses "$dir/demo.wav" --freq-separation 0 >"$dir/nosep"
check "no frequency separation: no max or min frequency" \
  test "$(awk -F'\t' 'NR > 1 && ($5 + 0 != 0 || $6 + 0 != 0)' "$dir/nosep" | wc -l)" -eq 0
"$cli" pulses "$dir/demo.wav" --min-duration-ms 4 >"$dir/long"
check "minimum duration keeps the long calls" test "$(wc -l <"$dir/long")" -eq 20

# Stored defaults of the desktop application are read (here: no pulse
# number column, a 4 ms minimum duration).
mkdir -p "$XDG_CONFIG_HOME/Quellmark"
printf '[Settings]\nPuls\\PulsNum=0\nPuls\\DurTimeMySec=4000\nRate\\Delay=1\n' \
  >"$XDG_CONFIG_HOME/Quellmark/Norvane.conf"
"$cli" pulses "$dir/demo.wav" >"$dir/stored"
check "stored defaults: no number column" test "$(head -1 "$dir/stored" | cut -f1)" = "Start osc. (ms) "
check "stored defaults: minimum duration" test "$(wc -l <"$dir/stored")" -eq 20
rm "$XDG_CONFIG_HOME/Quellmark/Norvane.conf"

"$cli" pulses "$dir/demo.wav" --format raven >"$dir/raven"
check "raven exits 0" test $? -eq 0
check "raven header" grep -q $'^Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)' "$dir/raven"
check "raven rows" test "$(wc -l <"$dir/raven")" -eq 48
check "raven times in seconds" grep -qE $'^1\tSpectrogram 1\t1\t0\\.0503[0-9]+\t0\\.0526' "$dir/raven"

"$cli" pulses "$dir/demo.wav" --fft 100 2>"$dir/err"
check "bad fft exits 1" test $? -eq 1
check "bad fft message" grep -q "power of two" "$dir/err"
"$cli" pulses "$dir/demo.wav" --format xml 2>/dev/null
check "bad format exits 1" test $? -eq 1
"$cli" pulses "$dir/demo.wav" --overlap 256 2>/dev/null
check "overlap not below the size exits 1" test $? -eq 1
"$cli" pulses "$dir/demo.wav" --window triangle 2>/dev/null
check "unknown window exits 1" test $? -eq 1
"$cli" pulses "$dir/demo.wav" --window hamming >/dev/null
check "named window" test $? -eq 0
"$cli" pulses "$dir/none.wav" 2>/dev/null
check "missing file exits 1" test $? -eq 1

# Histograms.
"$cli" histogram "$dir/demo.wav" --interval >"$dir/h" 2>"$dir/err"
check "interval histogram exits 0" test $? -eq 0
check "histogram header" test "$(head -1 "$dir/h")" = $'From (ms)\tTo (ms)\t# observations'
check "histogram has bars" test "$(wc -l <"$dir/h")" -gt 2
# The first-start settings count every call: 47 pulses, 46 intervals.
check "first-start settings: every interval" \
  test "$(awk -F'\t' 'NR > 1 { s += $3 } END { print s }' "$dir/h")" -eq 46
"$cli" histogram "$dir/demo.wav" --length >"$dir/hlen"
check "first-start settings: every length" \
  test "$(awk -F'\t' 'NR > 1 { s += $3 } END { print s }' "$dir/hlen")" -eq 47
# Stored histogram settings are taken as they are (here the former
# defaults: a 10 ms delay and an automatic threshold).
mkdir -p "$XDG_CONFIG_HOME/Quellmark"
printf '[Settings]\nRate\\Delay=10\nRate\\Threshold=-1\n' >"$XDG_CONFIG_HOME/Quellmark/Norvane.conf"
"$cli" histogram "$dir/demo.wav" --interval >"$dir/hstored"
check "stored histogram settings" \
  test "$(awk -F'\t' 'NR > 1 { s += $3 } END { print s }' "$dir/hstored")" -eq 2
rm "$XDG_CONFIG_HOME/Quellmark/Norvane.conf"
"$cli" histogram "$dir/demo.wav" --length --start 0 --end 10 --bars 10 --delay 1 >"$dir/hl"
check "fixed length histogram: ten bars" test "$(wc -l <"$dir/hl")" -eq 11
check "bar limits in ms" test "$(sed -n 2p "$dir/hl" | cut -f1,2)" = $'0\t1'
total=$(awk -F'\t' 'NR > 1 { s += $3 } END { print s }' "$dir/hl")
check "lengths counted" test "$total" -gt 0
"$cli" histogram "$dir/demo.wav" --length --start 0 --end 10 --bars 2000 >"$dir/hmax"
check "at most 1024 bars" test "$(wc -l <"$dir/hmax")" -eq 1025
"$cli" histogram "$dir/demo.wav" --interval --auto --threshold 3000 --delay 2 >/dev/null
check "automatic settings" test $? -eq 0
"$cli" histogram "$dir/demo.wav" --interval --length 2>/dev/null
check "interval and length together exit 1" test $? -eq 1
"$cli" histogram "$dir/demo.wav" --interval --start 5 2>/dev/null
check "start without end exits 1" test $? -eq 1
"$cli" histogram "$dir/demo.wav" --interval --start 5 --end 5 --bars 3 2>"$dir/err"
check "equal start and end exit 1" test $? -eq 1
check "equal start and end message" grep -qxF "Histogram end must be greather then Histogram start." "$dir/err"
"$cli" histogram "$dir/demo.wav" --interval --from 100 --to 100 >"$dir/h1"
check "empty range exits 0" test $? -eq 0

echo "$passes passed, $fails failed"
test "$fails" -eq 0
