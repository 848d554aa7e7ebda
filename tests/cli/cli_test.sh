#!/usr/bin/env bash
# norvane-cli as a whole process: outputs, exit codes and messages.
set -u
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0
passes=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $name"; fails=$((fails + 1)); fi
}

"$cli" demo "$dir/demo.wav" 2>"$dir/err"
check "demo exits 0" test $? -eq 0
check "demo prints nothing on stderr" test ! -s "$dir/err"
"$cli" info "$dir/demo.wav" >"$dir/info" 2>"$dir/err"
check "info exits 0" test $? -eq 0
check "info prints nothing on stderr" test ! -s "$dir/err"
expect_info() { grep -qxF "$1" "$dir/info" || { echo "missing line: $1"; cat "$dir/info"; return 1; }; }
for line in "type: [Wave]" "channels: 1" "bits: 16" "rate: 44100" "frames: 1323000" \
            "time-expansion: 10000" "duration-us: 3000000" "views: 1" "marks: 3" "segments: 0"; do
  check "info $line" expect_info "$line"
done
check "info peak is a number" grep -qE '^peak: [0-9]+$' "$dir/info"
for line in "guano.GUANO|Version: 1.0" "guano.TE: 10" "guano.Samplerate: 441000" "guano.Length: 3" \
            "guano.Original Filename: demo.wav" "guano.Timestamp: 2026-12-08T21:47:00"; do
  check "info $line" expect_info "$line"
done
check "info has eleven lines and the GUANO fields" test "$(wc -l <"$dir/info")" -eq 17
# The peak in hundredths of a percent of full scale: 16-bit samples 0, 16384,
# -32768, 100 and 8-bit samples 128, 192, 100.
printf 'RIFF\054\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\100\037\000\000\200\076\000\000\002\000\020\000data\010\000\000\000\000\000\000\100\000\200\144\000' >"$dir/p16.wav"
check "info peak of a 16-bit sound" test "$("$cli" info "$dir/p16.wav" | grep '^peak:')" = "peak: 10000"
printf 'RIFF\050\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\100\037\000\000\100\037\000\000\001\000\010\000data\003\000\000\000\200\300\144\000' >"$dir/p8.wav"
check "info peak of an 8-bit sound" test "$("$cli" info "$dir/p8.wav" | grep '^peak:')" = "peak: 5000"
# Commands that draw nothing start without Qt.
if command -v ldd >/dev/null; then
  check "norvane-cli loads no Qt" bash -c "! ldd '$cli' | grep -q libQt"
fi

# Conversions and the labels they are read back with.
"$cli" convert "$dir/demo.wav" "$dir/std.wav" --type 1 --from 1000 --to 3000
"$cli" info "$dir/std.wav" >"$dir/info"
check "standard wave" expect_info "type: [Standard Wave]"
check "range saved" expect_info "frames: 2000"
"$cli" convert "$dir/demo.wav" "$dir/raw.dat" --type 6 --from 0 --to 100
check "raw data is just the frames" test "$(stat -c %s "$dir/raw.dat")" -eq 200
"$cli" info "$dir/raw.dat [16 bit samples MONO]" >"$dir/info"
check "raw read back as 16-bit" expect_info "frames: 100"
check "raw rate" expect_info "rate: 22050"
"$cli" convert "$dir/demo.wav" "$dir/comp.wav" --type 7 --level 20 --before 1 --after 1
"$cli" info "$dir/comp.wav" >"$dir/info"
check "compressed type" expect_info "type: [Wave Comp]"
check "compressed has segments" grep -qE '^segments: [1-9][0-9]*$' "$dir/info"
check "compressed smaller" test "$(stat -c %s "$dir/comp.wav")" -lt "$(stat -c %s "$dir/demo.wav")"

# Edits.
"$cli" edit "$dir/demo.wav" "$dir/cut.wav" --delete --from 0 --to 1000
"$cli" info "$dir/cut.wav" >"$dir/info"
check "delete shortens" expect_info "frames: 1322000"
"$cli" edit "$dir/demo.wav" "$dir/x.wav" --reverse --from 5 --to 90000 --undo-check
check "undo check of reverse" test $? -eq 0
"$cli" edit "$dir/demo.wav" "$dir/x.wav" --volume 300 --from 5 --to 90000 --undo-check
check "undo check of volume" test $? -eq 0

# A save that fails on the way (here: the file size limit, as a full disk
# would) leaves the file it was to replace as it was, also when that is the
# input itself, and no temporary file beside it.
"$cli" convert "$dir/demo.wav" "$dir/full-size.wav" --type 5
limit_kib=$(( ($(stat -c %s "$dir/full-size.wav") - 1) / 1024 ))
rm -f "$dir/full-size.wav"
mkdir "$dir/keep"
"$cli" convert "$dir/demo.wav" "$dir/keep/other.wav" --type 1 --from 0 --to 1000
cp "$dir/demo.wav" "$dir/keep/own.wav"
cp "$dir/keep/other.wav" "$dir/other.orig"
cp "$dir/demo.wav" "$dir/own.orig"
limited() { (trap '' XFSZ; ulimit -f "$limit_kib"; "$cli" "$@") 2>"$dir/err"; }
limited convert "$dir/demo.wav" "$dir/keep/other.wav" --type 5
check "failed convert exits 1" test $? -eq 1
check "failed convert reports" test -s "$dir/err"
check "failed convert keeps the old file" cmp -s "$dir/keep/other.wav" "$dir/other.orig"
limited edit "$dir/keep/own.wav" "$dir/keep/own.wav" --silence --from 0 --to 100
check "failed edit exits 1" test $? -eq 1
check "failed edit keeps its own file" cmp -s "$dir/keep/own.wav" "$dir/own.orig"
check "no temporary file left" test "$(ls -A "$dir/keep" | sort | tr '\n' ' ')" = "other.wav own.wav "

# Filters.
"$cli" filter-design --type butterworth --band lowpass --order 2 --fc 1000 --nyquist 22050 >"$dir/fd"
check "filter-design exits 0" test $? -eq 0
check "filter-design order" grep -qxF "order: 2" "$dir/fd"
check "filter-design a" grep -qE '^a: 1 -1\.79909640948466[0-9]* 0\.817512403384[0-9]*$' "$dir/fd"
check "filter-design b" grep -qE '^b: 0\.0046039984750224[0-9]* 0\.0092079969500449[0-9]* 0\.0046039984750224[0-9]*$' "$dir/fd"
check "filter-design without response" test "$(wc -l <"$dir/fd")" -eq 3
"$cli" filter-design --type chebyshev --band bandpass --order 4 --fl 20000 --fu 60000 --ripple 5 \
  --sound "$dir/demo.wav" --response >"$dir/fd"
check "response has 100 values" test "$(grep '^response:' "$dir/fd" | wc -w)" -eq 101
check "band filter order" grep -qxF "order: 4" "$dir/fd"
"$cli" filter-design --type butterworth --band lowpass --order 0 --fc 1000 --nyquist 22050 2>"$dir/err"
check "illegal order exits 1" test $? -eq 1
check "illegal order message" grep -qxF "Ilegal filter order!" "$dir/err"
"$cli" filter "$dir/demo.wav" "$dir/filtered.wav" --type butterworth --band highpass --order 4 --fc 30000 \
  --from 1000 --to 50000 --type 1
check "filter exits 0" test $? -eq 0
"$cli" info "$dir/filtered.wav" >"$dir/info"
check "filtered file type" expect_info "type: [Standard Wave]"

# The virtual detector: what it plays, at the sound's own rate.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$cli" detector "$dir/demo.wav" "$dir/det.wav" --freq 40000 >"$dir/out" 2>"$dir/err"
check "detector exits 0" test $? -eq 0
check "detector prints nothing" test ! -s "$dir/out" -a ! -s "$dir/err"
"$cli" info "$dir/det.wav" >"$dir/info"
check "detector writes a standard wave" expect_info "type: [Standard Wave]"
check "detector keeps the rate" expect_info "rate: 44100"
# Speed factor 10 on a tenfold time-expanded sound: real speed, a tenth of the frames.
check "detector plays every tenth frame" expect_info "frames: 132300"
"$cli" detector "$dir/demo.wav" "$dir/det5.wav" --freq 40000 --speed 5
"$cli" info "$dir/det5.wav" >"$dir/info"
check "detector speed 5" expect_info "frames: 264600"
# A range shorter than one block of k x BufferSize plays its whole block.
"$cli" detector "$dir/demo.wav" "$dir/short.wav" --freq 40000 --from 1000 --to 1500
"$cli" info "$dir/short.wav" >"$dir/info"
check "detector short range plays one block" expect_info "frames: 2752"
"$cli" detector "$dir/demo.wav" "$dir/hp.wav" --freq 40000 --type butterworth --band highpass --order 2 --fc 10000
check "detector with a filter of its own" test $? -eq 0
"$cli" detector "$dir/demo.wav" "$dir/x.wav" --freq 40000 --speed 201 2>"$dir/err"
check "detector speed 201 exits 1" test $? -eq 1
check "detector speed message" grep -qxF "Please enter an integer between 1 and 200." "$dir/err"
"$cli" detector "$dir/demo.wav" "$dir/x.wav" --freq 0 2>"$dir/err"
check "detector frequency 0 exits 1" test $? -eq 1
"$cli" detector "$dir/demo.wav" "$dir/x.wav" --freq 40000 --from 5000000 --to 6000000 2>"$dir/err"
check "detector empty range exits 1" test $? -eq 1
check "detector empty range message" grep -qxF "The range holds no sound to play." "$dir/err"
"$cli" detector "$dir/demo.wav" "$dir/x.wav" --freq 40000 --type butterworth --band lowpass --order 4 \
  --fc 300000 2>"$dir/err"
check "detector bad filter exits 1" test $? -eq 1
check "detector bad filter message" grep -qxF "Illegal cut-off frequency!" "$dir/err"
"$cli" detector "$dir/demo.wav" "$dir/x.wav" 2>/dev/null
check "detector without frequency exits 1" test $? -eq 1
# Sample for sample against an independent numpy/scipy model of the detector.
same_sound() {  # same_sound A B: equal lengths, values within one of each other, all but 0.1 % equal
  /usr/bin/python3 - "$1" "$2" <<'PY'
import importlib.util, os, sys
import numpy as np
found = importlib.util.spec_from_file_location("ref", os.environ["DETECTOR_REFERENCE"])
ref = importlib.util.module_from_spec(found); found.loader.exec_module(ref)
a = ref.read_wave(sys.argv[1]); b = ref.read_wave(sys.argv[2])
if a[:3] != b[:3] or a[3].shape != b[3].shape:
    sys.exit("formats or lengths differ: %s %s" % (a[:3] + (a[3].shape,), b[:3] + (b[3].shape,)))
d = np.abs(a[3].astype(np.int64) - b[3].astype(np.int64))
if d.max() > 1 or np.count_nonzero(d) > d.size // 1000 + 1:
    sys.exit("max difference %d, %d of %d values differ" % (d.max(), np.count_nonzero(d), d.size))
if np.abs(a[3].astype(np.int64) - (128 if a[1] == 8 else 0)).max() < 50:
    sys.exit("no sound to compare")
PY
}
if /usr/bin/python3 -c "import numpy, scipy" 2>/dev/null; then
  export DETECTOR_REFERENCE="$here/detector_reference.py"
  /usr/bin/python3 "$here/detector_reference.py" "$dir/demo.wav" "$dir/ref.wav" --freq 40000 --te 10000
  check "detector matches the numpy model" same_sound "$dir/det.wav" "$dir/ref.wav"
  "$cli" detector "$dir/demo.wav" "$dir/det3.wav" --freq 52000 --speed 3 --from 123457 --to 700001
  /usr/bin/python3 "$here/detector_reference.py" "$dir/demo.wav" "$dir/ref3.wav" --freq 52000 --te 10000 \
    --speed 3 --from 123457 --to 700001
  check "detector range matches the numpy model" same_sound "$dir/det3.wav" "$dir/ref3.wav"
  # A full-scale call: heard limited, as the model limits it.
  /usr/bin/python3 - "$dir/loud.wav" <<'PY'
import sys, wave
import numpy as np
n = np.arange(44100)
x = np.clip(np.round(32768 * np.sin(2 * np.pi * 5000 * n / 44100)), -32768, 32767).astype("<i2")
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100); w.writeframes(x.tobytes())
PY
  "$cli" detector "$dir/loud.wav" "$dir/detloud.wav" --freq 4000 --speed 1
  /usr/bin/python3 "$here/detector_reference.py" "$dir/loud.wav" "$dir/refloud.wav" --freq 4000 --te 1000 --speed 1
  check "detector loud call matches the numpy model" same_sound "$dir/detloud.wav" "$dir/refloud.wav"
  check "detector loud call is limited below full scale" /usr/bin/python3 - "$dir/detloud.wav" <<'PY'
import importlib.util, os, sys
import numpy as np
found = importlib.util.spec_from_file_location("ref", os.environ["DETECTOR_REFERENCE"])
ref = importlib.util.module_from_spec(found); found.loader.exec_module(ref)
v = np.abs(ref.read_wave(sys.argv[1])[3].astype(np.int64))
sys.exit(0 if 0.75 * 32767 < v.max() < 32767 else "peak %d" % v.max())
PY
  if command -v sox >/dev/null; then
    # 8-bit stereo, without time expansion: the left channel is heard on both.
    "$cli" convert "$dir/demo.wav" "$dir/plain.wav" --type 1
    sox "$dir/plain.wav" -b 8 -c 2 "$dir/st8.wav"
    "$cli" detector "$dir/st8.wav" "$dir/det8.wav" --freq 4000 --speed 2 --type butterworth --band lowpass \
      --order 8 --fc 3000
    /usr/bin/python3 "$here/detector_reference.py" "$dir/st8.wav" "$dir/ref8.wav" --freq 4000 --te 1000 \
      --speed 2 --order 8 --cutoff 3000
    check "detector 8-bit stereo matches the numpy model" same_sound "$dir/det8.wav" "$dir/ref8.wav"
  fi
else
  echo "note: /usr/bin/python3 with numpy and scipy is missing; the detector's reference checks did not run"
fi

# Failures: the program's message on stderr, exit 1, nothing on stdout.
"$cli" info "$dir/none.wav" >"$dir/out" 2>"$dir/err"
check "missing file exits 1" test $? -eq 1
check "missing file message" grep -qxF "Can not open file: No such file or directory" "$dir/err"
check "missing file prints nothing on stdout" test ! -s "$dir/out"
printf 'RIFF\x04\0\0\0WAVE' >"$dir/bad.wav"
"$cli" info "$dir/bad.wav" 2>"$dir/err"
check "bad wave exits 1" test $? -eq 1
check "bad wave message" grep -qxF "Can not find format information." "$dir/err"
"$cli" info "$dir/raw.dat [Raw data]" 2>"$dir/err"
check "raw data label reads as wave" grep -qxF "File is not a valid WAVE sound file." "$dir/err"
"$cli" convert "$dir/demo.wav" "$dir/nodir/x.wav" --type 5 2>"$dir/err"
check "unwritable target exits 1" test $? -eq 1
check "unwritable target message" grep -qxF "Failed to open/create file." "$dir/err"
"$cli" convert "$dir/demo.wav" "$dir/x.wav" --type nine 2>/dev/null
check "bad option exits 1" test $? -eq 1
"$cli" frobnicate 2>/dev/null
check "unknown command exits 1" test $? -eq 1

# Marks: the list, the distance table, export and import.
"$cli" marks "$dir/demo.wav" >"$dir/marks" 2>"$dir/err"
check "marks exits 0" test $? -eq 0
check "marks prints nothing on stderr" test ! -s "$dir/err"
check "marks header" test "$(head -n 1 "$dir/marks")" = "$(printf 'number\tlabel\tposition\ttime-ms\tvalue\tin-spectrogram\tchannel\tkind\tdescription')"
check "marks first mark" grep -qxF "$(printf '0\tBat 1\t22050\t50.000\t80000\t1\t3\t2\tFirst call of the frequency-modulated bat, start near 80 kHz.')" "$dir/marks"
check "marks has four lines" test "$(wc -l <"$dir/marks")" -eq 4
"$cli" marks "$dir/demo.wav" --distances >"$dir/dist"
printf '\tBat 1\tClosest pass\tBat 2\r\nBat 1\t-\t-\t33.00 kHz\r\nClosest pass\t1150 ms\t-\t-\r\nBat 2\t1550 ms\t400 ms\t-\r\n' >"$dir/dist.expect"
check "marks distances table" cmp -s "$dir/dist" "$dir/dist.expect"
for fmt in labels raven; do
  "$cli" marks "$dir/demo.wav" --export $fmt "$dir/marks.$fmt" 2>"$dir/err"
  check "export $fmt exits 0" test $? -eq 0
  # Imported marks come after the file's own, with new numbers.
  "$cli" marks "$dir/demo.wav" --import $fmt "$dir/marks.$fmt" -o "$dir/imported-$fmt.wav" >"$dir/out" 2>"$dir/err"
  check "import $fmt exits 0" test $? -eq 0
  check "import $fmt reports the count" grep -qxF "imported: 3" "$dir/out"
  "$cli" marks "$dir/imported-$fmt.wav" | tail -n 3 | cut -f 2-6 >"$dir/back"
  tail -n 3 "$dir/marks" | cut -f 2-6 >"$dir/orig"
  check "import $fmt gives the same marks" cmp -s "$dir/back" "$dir/orig"
done
check "labels file" grep -qxF "$(printf '0.050000\t0.050000\tBat 1')" "$dir/marks.labels"
check "labels frequency line" grep -qxF "$(printf '\\\t80000.000000\t80000.000000')" "$dir/marks.labels"
check "selection table header" test "$(head -n 1 "$dir/marks.raven")" = "$(printf 'Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)\tAnnotation')"
printf '0.1\t0.1\tfine\nlate\t0.2\tx\n' >"$dir/bad.txt"
"$cli" marks "$dir/demo.wav" --import labels "$dir/bad.txt" -o "$dir/not-written.wav" >/dev/null 2>"$dir/err"
check "malformed import exits 1" test $? -eq 1
check "malformed import names the line" grep -qxF "line 2: start time is not a number" "$dir/err"
check "malformed import writes nothing" test ! -e "$dir/not-written.wav"
"$cli" marks "$dir/demo.wav" --export csv "$dir/x.csv" 2>/dev/null
check "unknown mark format exits 1" test $? -eq 1
"$cli" marks "$dir/demo.wav" --import labels "$dir/marks.labels" 2>/dev/null
check "import without -o exits 1" test $? -eq 1
"$cli" marks "$dir/demo.wav" --distances --export labels "$dir/x" 2>/dev/null
check "two mark actions exit 1" test $? -eq 1

# Pictures, when the tool was built with the plot component.
if "$cli" --help | grep -q "^  render "; then
  for view in combined spectrogram oscillogram zero-crossing; do
    "$cli" render "$dir/demo.wav" -o "$dir/$view.png" --view "$view" --width 640 --height 400 2>"$dir/err"
    check "render $view exits 0" test $? -eq 0
    check "render $view prints nothing" test ! -s "$dir/err"
    check "render $view writes a PNG" test "$(head -c 4 "$dir/$view.png" | od -An -c | tr -d ' ')" = "211PNG"
  done
  "$cli" render "$dir/demo.wav" -o "$dir/p.svg" --width 300 --height 200 --fft 256 --overlap 50 \
    --window hamming --scheme 3 --threshold 10 --contrast -3 --min-hz 10000 --max-hz 120000
  check "render svg exits 0" test $? -eq 0
  check "render svg is svg" grep -q "<svg" "$dir/p.svg"
  "$cli" render "$dir/demo.wav" -o "$dir/x.png" --fft 100 2>"$dir/err"
  check "bad fft size exits 1" test $? -eq 1
  check "bad fft size message" grep -q "power of two" "$dir/err"
  "$cli" render "$dir/demo.wav" -o "$dir/x.png" --view sideways 2>/dev/null
  check "bad view exits 1" test $? -eq 1
  "$cli" render "$dir/demo.wav" -o "$dir/x.png" --min-hz 5000 --max-hz 4000 2>"$dir/err"
  check "bad range message" grep -qxF "Error: Min frequency > Max frequency." "$dir/err"
  "$cli" render "$dir/none.wav" -o "$dir/x.png" 2>"$dir/err"
  check "render of a missing file exits 1" test $? -eq 1
  "$cli" render "$dir/demo.wav" -o "$dir/nodir/x.png" 2>"$dir/err"
  check "unwritable picture exits 1" test $? -eq 1
fi

# A slowed copy: the samples unchanged, the rate relabelled, real times kept.
"$cli" slow "$dir/demo.wav" "$dir/slow.wav" --speed 1/10 2>"$dir/err"
check "slow exits 0" test $? -eq 0
"$cli" info "$dir/slow.wav" >"$dir/info"
for line in "rate: 4410" "time-expansion: 100000" "frames: 1323000" "duration-us: 3000000"; do
  check "slow $line" expect_info "$line"
done
"$cli" convert "$dir/demo.wav" "$dir/d.raw" --type 6 2>/dev/null
"$cli" convert "$dir/slow.wav" "$dir/s.raw" --type 6 2>/dev/null
check "slow keeps the samples" cmp -s "$dir/d.raw" "$dir/s.raw"
"$cli" slow "$dir/demo.wav" "$dir/slow2.wav" --speed 0.1
check "slow takes decimals" cmp -s "$dir/slow.wav" "$dir/slow2.wav"
"$cli" slow "$dir/demo.wav" "$dir/x.wav" --speed 1/3 2>"$dir/err"
check "slow refuses a speed not offered" test $? -eq 1
check "slow names the speeds" grep -q "1/32" "$dir/err"
"$cli" play "$dir/demo.wav" --speed 3 2>"$dir/err"
check "play refuses a speed not offered" test $? -eq 1
"$cli" play "$dir/demo.wav" --to 5 2>"$dir/err"
check "play --to needs --from" test $? -eq 1
"$cli" convert "$dir/demo.wav" "$dir/empty.wav" --type 5 --from 0 --to 0
"$cli" play "$dir/empty.wav" 2>"$dir/err"
check "play of no sound exits 1" test $? -eq 1
check "play of no sound says so" grep -qxF "No sound to play." "$dir/err"
"$cli" play "$dir/demo.wav" --from 99999999 2>"$dir/err"
check "play past the end exits 1" test $? -eq 1
PULSE_SERVER=unix:/nonexistent "$cli" play "$dir/demo.wav" >"$dir/out" 2>"$dir/err"
check "play without a sound server exits 1" test $? -eq 1
check "play without a sound server says so" grep -qxF "Failed to open waveform output device." "$dir/err"
check "play without a sound server prints no status" test ! -s "$dir/out"
PULSE_SERVER=unix:/nonexistent "$cli" devices 2>"$dir/err"
check "devices without a sound server exits 1" test $? -eq 1

# Power spectrum text export: one row a bin after the header, CR LF lines,
# real frequencies of the tenfold time-expanded demo, V² header byte 0xB2.
"$cli" spectrum "$dir/demo.wav" --from 44100 --to 60000 >"$dir/spectrum.txt" 2>"$dir/err"
check "spectrum exits 0" test $? -eq 0
check "spectrum prints nothing on stderr" test ! -s "$dir/err"
check "spectrum has 513 lines" test "$(wc -l <"$dir/spectrum.txt")" -eq 513
check "spectrum header" test "$(head -c 8 "$dir/spectrum.txt" | od -An -tx1 | tr -d ' \n')" = "6b487a0964420d0a"
check "spectrum real frequency of bin 1" test "$(sed -n 3p "$dir/spectrum.txt" | cut -f1)" = "0.431"
"$cli" spectrum "$dir/demo.wav" --fft 256 --window rectangular --linear >"$dir/spectrum.txt"
check "linear spectrum header" test "$(head -c 8 "$dir/spectrum.txt" | od -An -tx1 | tr -d ' \n')" = "6b487a0956b20d0a"
check "linear spectrum rows" test "$(wc -l <"$dir/spectrum.txt")" -eq 129
"$cli" spectrum "$dir/demo.wav" --fft 1000 >/dev/null 2>"$dir/err"
check "spectrum refuses a size that is no power of two" test $? -eq 1 -a -s "$dir/err"
"$cli" spectrum "$dir/demo.wav" --channel 2 >/dev/null 2>"$dir/err"
check "spectrum refuses the right channel of a mono sound" test $? -eq 1 -a -s "$dir/err"
"$cli" spectrum "$dir/demo.wav" --from 5000000 >/dev/null 2>"$dir/err"
check "spectrum refuses a range outside the sound" test $? -eq 1 -a -s "$dir/err"

echo "$passes passed, $fails failed"
test "$fails" -eq 0
