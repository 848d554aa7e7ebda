#!/usr/bin/env bash
# norvane-cli pulses and batch pulses on synthetic field recordings (noise,
# wind, an insect, handling clicks, calls 0 to 45 dB above the background,
# echoes, 192 to 500 kHz and a time-expanded copy): --field finds the calls
# at 10 dB and more above the background, without false pulses, their starts
# within 0.5 ms; the detection band and --above-noise check their values.
set -u
cli="$1"
generator="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config"
mkdir -p "$HOME"
fails=0
passes=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $name"; fails=$((fails + 1)); fi
}
value() {  # value KEY: a number from the score's JSON
  /usr/bin/python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$dir/score" "$1"
}
at_least() { /usr/bin/python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) >= float(sys.argv[2]) else 1)' "$1" "$2"; }
at_most() { /usr/bin/python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) <= float(sys.argv[2]) else 1)' "$1" "$2"; }

/usr/bin/python3 "$generator" make "$dir/set" --files 4 --seconds 1.5 --seed 11 ||
  { echo "FAILED: generating the set"; exit 1; }

/usr/bin/python3 "$generator" score "$dir/set" "$cli" --field --json >"$dir/score"
check "--field scores" test $? -eq 0
check "--field recall at 10 dB and more" at_least "$(value recall_snr_10_up)" 0.95
check "--field precision" at_least "$(value precision)" 0.95
check "--field: each call a pulse of its own" at_least "$(value recall_alone_snr_10_up)" 0.95
check "--field starts within 0.5 ms" at_most "$(value start_err_ms_max)" 0.5
check "enough calls to judge" at_least "$(value calls_snr_10_up)" 30
# The first-start defaults stay as they were: on these recordings the
# whole-band absolute threshold is fooled by the background and merges calls.
/usr/bin/python3 "$generator" score "$dir/set" "$cli" --json >"$dir/score"
check "defaults: calls merged here" at_most "$(value recall_alone_snr_10_up)" 0.5

f="$dir/set/field000.wav"   # 192 kHz: Nyquist frequency 96 kHz
"$cli" pulses "$f" --detect-band 20000-120000 >/dev/null 2>"$dir/err"
check "band past the Nyquist frequency exits 1" test $? -eq 1
check "band past the Nyquist frequency message" grep -qxF -- \
  "--detect-band: The detection band's upper edge (120000 Hz) lies above the Nyquist frequency of the recording (96000 Hz)." "$dir/err"
"$cli" pulses "$dir/set/field003.wav" --detect-band 20000-120000 >/dev/null 2>"$dir/err"
check "time-expanded file: real Nyquist frequency 192 kHz" test $? -eq 0
"$cli" pulses "$f" --detect-band 50000-20000 2>"$dir/err"
check "reversed band exits 1" test $? -eq 1
check "reversed band message" grep -qxF -- "--detect-band: the lower edge must lie below the upper edge." "$dir/err"
"$cli" pulses "$f" --detect-band 20k 2>"$dir/err"
check "malformed band exits 1" test $? -eq 1
check "malformed band message" grep -qF -- "--detect-band must be LOW-HIGH in Hz" "$dir/err"
"$cli" pulses "$f" --above-noise -3 2>"$dir/err"
check "negative margin exits 1" test $? -eq 1
check "negative margin message" grep -qxF -- "--above-noise must be a level from 0 to 100 dB above the noise floor." "$dir/err"
"$cli" pulses "$f" --above-noise loud 2>"$dir/err"
check "margin not a number exits 1" test $? -eq 1
check "margin not a number message" test -s "$dir/err"
"$cli" pulses "$f" --above-noise 6 --osc-threshold 20 2>"$dir/err"
check "two thresholds exit 1" test $? -eq 1
check "two thresholds message" grep -qF -- "--above-noise and --osc-threshold exclude each other" "$dir/err"
"$cli" pulses "$f" --detect-band 20000- --above-noise 8 >/dev/null 2>"$dir/err"
check "band up to the Nyquist frequency" test $? -eq 0
# --field and an absolute threshold: the band with that threshold.
"$cli" pulses "$f" --field --osc-threshold 20 >/dev/null 2>"$dir/err"
check "--field with an absolute threshold" test $? -eq 0

# batch pulses --field: the same pulses as pulses --field, file by file;
# a band past a file's Nyquist frequency is that file's error.
"$cli" batch pulses "$dir/set" -o "$dir/all.tsv" --field 2>"$dir/berr"
check "batch --field exits 0" test $? -eq 0
want=0
for w in "$dir"/set/*.wav; do
  want=$((want + $("$cli" pulses "$w" --field | tail -n +2 | wc -l)))
done
check "batch --field rows" test "$(tail -n +2 "$dir/all.tsv" | wc -l)" -eq "$want"
"$cli" batch pulses "$dir/set" -o "$dir/band.tsv" --detect-band 20000-120000 2>"$dir/berr"
check "batch with a band too high for a file exits 2" test $? -eq 2
check "that file in the errors file" grep -qF "field000.wav	--detect-band: The detection band's upper edge" "$dir/errors-band.tsv"

echo "$passes passed, $fails failed"
test "$fails" -eq 0
