#!/usr/bin/env bash
# norvane-cli batch pulses as a whole process: a folder of generated
# recordings with known calls gives the known rows (real times and
# frequencies also for a time-expanded file), a bad file is reported and
# skipped, two shares run by GNU parallel give exactly the rows of one run,
# and a run cut off (killed, or in the middle of a file's rows) resumes to
# the same table.
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
rows_of() {  # rows_of TABLE: the rows without the header, sorted
  tail -n +2 "$1" | LC_ALL=C sort
}

# A survey: recordings at 384 kHz with downward FM calls (80 to 35 kHz, 5 ms)
# at known times; the same sound stored time-expanded tenfold (38.4 kHz, with
# a GUANO chunk saying TE 10); a recording of silence; a broken file.
s="$dir/survey"
mkdir -p "$s/site A" "$s/site B/deep"
/usr/bin/python3 - "$s" <<'PY' || { echo "FAILED: generating the survey"; exit 1; }
import struct, sys
import numpy as np
root = sys.argv[1]
rate = 384000

def call_sound(starts, seconds):
    x = np.zeros(int(seconds * rate))
    n = int(0.005 * rate)
    t = np.arange(n) / rate
    f0, f1 = 80000.0, 35000.0
    phase = 2 * np.pi * (f0 * t + (f1 - f0) / (2 * 0.005) * t * t)
    ramp = np.minimum(1, np.minimum(np.arange(n), n - 1 - np.arange(n)) / 20.0)
    for s0 in starts:
        i = int(round(s0 * rate))
        x[i:i + n] += 0.5 * ramp * np.sin(phase)
    return np.round(x * 32767).astype('<i2')

def write(path, samples, rate_hz, guano=None):
    data = samples.tobytes()
    chunks = b'fmt ' + struct.pack('<IHHIIHH', 16, 1, 1, rate_hz, rate_hz * 2, 2, 16)
    chunks += b'data' + struct.pack('<I', len(data)) + data + (b'\0' if len(data) & 1 else b'')
    if guano is not None:
        g = guano.encode()
        chunks += b'guan' + struct.pack('<I', len(g)) + g + (b'\0' if len(g) & 1 else b'')
    with open(path, 'wb') as f:
        f.write(b'RIFF' + struct.pack('<I', 4 + len(chunks)) + b'WAVE' + chunks)

calls = {
    'site A/n1-0001.wav': [0.05, 0.15, 0.25, 0.35],
    'site A/n1-0002.wav': [0.1, 0.3],
    'site B/n2-0001.wav': [0.02, 0.12, 0.22, 0.32, 0.42],
    'site B/deep/n2-0002.wav': [0.2],
}
for name, starts in calls.items():
    write(f'{root}/{name}', call_sound(starts, 0.5), rate)
    with open(f'{root}/{name}.calls', 'w') as f:
        f.write(' '.join(str(v) for v in starts) + '\n')
write(f'{root}/site B/te10.wav', call_sound([0.05, 0.15, 0.25, 0.35], 0.5), rate // 10,
      'GUANO|Version: 1.0\nTE: 10\nMake: Acme\n')
write(f'{root}/site B/silence.wav', np.zeros(rate // 2, dtype='<i2'), rate)
open(f'{root}/site A/broken.wav', 'wb').write(b'RIFF\x10\0\0\0WAVEjunk')
PY
opts=(--min-duration-ms 1 --separation-ms 2 --freq-separation 5000 --spec-threshold 30)

"$cli" batch pulses "$s" -o "$dir/all.tsv" --jobs 2 "${opts[@]}" 2>"$dir/err"
check "a run with a bad file exits 2" test $? -eq 2
check "summary counts" grep -qxF "batch: 7 files, 6 done now, 0 done before, 4 other files skipped, 1 failed (see $dir/errors-all.tsv)" "$dir/err"
check "the bad file in the errors file" grep -qF "site A/broken.wav	" "$dir/errors-all.tsv"
check "progress counts pulses" grep -qE '^batch: 7/7 files, 1 failed, 16 pulses, ' "$dir/err"
check "the table's header" test "$(head -1 "$dir/all.tsv")" = "$(printf 'File\tPuls#\tStart (s)\tStop (s)\tDuration (ms)\tMax freq. (Hz)\tMin freq. (Hz)\tStrongest freq (Hz)\tMax freq amplitude (dB)')"
check "one row per call" test "$(tail -n +2 "$dir/all.tsv" | wc -l)" -eq 16
check "no row for the silent file" test "$(grep -c silence "$dir/all.tsv")" -eq 0
check "the silent file is done" grep -qxF "$s/site B/silence.wav" "$dir/all.tsv.done"
check "rows in list order" test "$(cut -f1 "$dir/all.tsv" | uniq | tail -n +2 | tr '\n' '|')" = \
  "$s/site A/n1-0001.wav|$s/site A/n1-0002.wav|$s/site B/deep/n2-0002.wav|$s/site B/n2-0001.wav|$s/site B/te10.wav|"

# The known calls: start within one hop of the transform (64 samples),
# duration 5 ms, the sweep's ends within 6 kHz (the sweep over half a
# transform window, 3 kHz, and the window's main lobe).
/usr/bin/python3 - "$dir/all.tsv" "$s" <<'PY'
import csv, sys
rows = list(csv.reader(open(sys.argv[1]), delimiter='\t'))[1:]
bad = []
by_file = {}
for r in rows:
    by_file.setdefault(r[0], []).append(r)
for name, got in by_file.items():
    if name.endswith('te10.wav'):
        known = [0.05, 0.15, 0.25, 0.35]
    else:
        known = [float(v) for v in open(name + '.calls').read().split()]
    if len(got) != len(known):
        bad.append(f'{name}: {len(got)} pulses, not {len(known)}')
        continue
    for k, (r, t) in enumerate(zip(got, known)):
        start, stop, dur = float(r[2]), float(r[3]), float(r[4])
        hi, lo = float(r[5]), float(r[6])
        if int(r[1]) != k + 1: bad.append(f'{name}: number {r[1]}')
        if abs(start - t) > 64 / 384000: bad.append(f'{name}: start {start} not {t}')
        if abs(dur - 5) > 0.34: bad.append(f'{name}: duration {dur}')
        if abs(hi - 80000) > 6000 or abs(lo - 35000) > 6000: bad.append(f'{name}: {lo}..{hi} Hz')
if bad:
    print('\n'.join(bad[:10]))
    sys.exit(1)
PY
check "the known calls measured (real times and frequencies)" test $? -eq 0
check "the time-expanded file reads as the real-time one" test \
  "$(grep -F 'te10.wav' "$dir/all.tsv" | cut -f2-)" = "$(grep -F 'n1-0001.wav' "$dir/all.tsv" | cut -f2-)"
# The same measures as the pulses command prints for the file.
"$cli" pulses "$s/site B/n2-0001.wav" --format raven "${opts[@]}" | tail -n +2 | cut -f4,5 >"$dir/single"
grep -F 'n2-0001.wav' "$dir/all.tsv" | cut -f3,4 >"$dir/batch"
check "a file's rows are the pulses command's" cmp -s "$dir/single" "$dir/batch"

# Two shares side by side under GNU parallel, into a folder that does not
# exist yet: together exactly the rows of one run, and the README's join
# command, as written there, makes one table of them without error rows.
if command -v parallel >/dev/null; then
  parallel --will-cite "$cli" batch pulses "'$s'" -o "'$dir/calls-2024/share-{}.tsv'" --shard {}/2 --jobs 1 "${opts[@]}" \
    ::: 1 2 2>"$dir/perr"
  cat <(rows_of "$dir/calls-2024/share-1.tsv") <(rows_of "$dir/calls-2024/share-2.tsv") | LC_ALL=C sort >"$dir/shared"
  check "two shares give exactly the rows of one run" cmp -s "$dir/shared" <(rows_of "$dir/all.tsv")
  check "the bad file is in one share's errors" \
    test "$(cat "$dir"/calls-2024/errors-share-[12].tsv 2>/dev/null | grep -c broken.wav)" -eq 1
  readme=$(dirname "$0")/../../README.md
  join=$(grep -A1 -F '(head -1 /shared/calls-2024/share-1.tsv' "$readme" | sed 's/\\$//' | tr -d '\n')
  check "the README has the join command" test -n "$join"
  (cd "$dir" && eval "${join//\/shared\//$dir/}")
  check "the joined table is one header and every share's rows" \
    cmp -s "$dir/calls-2024.tsv" <(head -1 "$dir/all.tsv"; tail -q -n +2 "$dir/calls-2024/share-1.tsv" "$dir/calls-2024/share-2.tsv")
  check "no error rows in the joined table" test "$(grep -c broken.wav "$dir/calls-2024.tsv")" -eq 0
else
  echo "FAILED: GNU parallel is not installed (scripts/setup.sh installs it)"
  fails=$((fails + 1))
fi

# Two runs into one table: the second is refused while the first holds it.
rm -f "$s/site A/broken.wav"
exec 9>>"$dir/locked.tsv"
flock 9
"$cli" batch pulses "$s" -o "$dir/locked.tsv" 2>"$dir/err"
check "a table in use is refused" test $? -eq 1
check "a table in use is named" grep -qF "is being written by another run" "$dir/err"
exec 9>&-

# Resume from a run cut off in the middle of a file's rows: the rows of the
# file not listed as done go, and the file is measured again.
"$cli" batch pulses "$s" -o "$dir/full.tsv" "${opts[@]}" 2>/dev/null
check "a run without failures exits 0" test $? -eq 0
check "no errors file when nothing failed" test ! -e "$dir/errors-full.tsv"
head -n 9 "$dir/full.tsv" >"$dir/cut.tsv"
printf '%s\tpart of a row' "$s/site B/n2-0001.wav" >>"$dir/cut.tsv"
head -n 3 "$dir/full.tsv.done" >"$dir/cut.tsv.done"
"$cli" batch pulses "$s" -o "$dir/cut.tsv" "${opts[@]}" 2>"$dir/err"
check "the resumed run skips the files done" grep -qF "batch: 6 files, 3 done now, 3 done before" "$dir/err"
check "the resumed table is the whole run's" cmp -s "$dir/cut.tsv" "$dir/full.tsv"
# Without the list of files done, the last file of the table is measured again.
head -n 8 "$dir/full.tsv" >"$dir/nolist.tsv"
"$cli" batch pulses "$s" -o "$dir/nolist.tsv" "${opts[@]}" 2>"$dir/err"
check "without the list the last file is redone" grep -qF "batch: 6 files, 4 done now, 2 done before" "$dir/err"
check "the table without its list resumes to the whole run's" cmp -s "$dir/nolist.tsv" "$dir/full.tsv"
"$cli" batch pulses "$s" -o "$dir/full.tsv" "${opts[@]}" 2>"$dir/err"
check "a finished table does nothing again" grep -qF "batch: 6 files, 0 done now, 6 done before" "$dir/err"
check "a finished table is unchanged" test "$(rows_of "$dir/full.tsv" | wc -l)" -eq 16

# A run killed at any moment resumes to the same rows. Many copies make the
# run long enough to be killed mid-way; wherever it stopped, the result holds.
k="$dir/many"
mkdir -p "$k"
for i in $(seq -w 1 60); do cp "$s/site B/n2-0001.wav" "$k/c$i.wav"; done
"$cli" batch pulses "$k" -o "$dir/ref.tsv" "${opts[@]}" 2>/dev/null
"$cli" batch pulses "$k" -o "$dir/killed.tsv" --jobs 1 "${opts[@]}" 2>/dev/null &
pid=$!
for _ in $(seq 1 400); do
  [ "$(cat "$dir/killed.tsv" 2>/dev/null | wc -l)" -ge 20 ] && break
  sleep 0.005
done
kill -9 $pid 2>/dev/null
wait $pid 2>/dev/null
"$cli" batch pulses "$k" -o "$dir/killed.tsv" "${opts[@]}" 2>/dev/null
check "a killed run resumes to the same rows" cmp -s <(rows_of "$dir/killed.tsv") <(rows_of "$dir/ref.tsv")

# Bad options are refused before any file.
"$cli" batch pulses "$s" -o "$dir/x.tsv" --fft 100 2>"$dir/err"
check "a bad option exits 1" test $? -eq 1 -a ! -e "$dir/x.tsv"
"$cli" batch pulses "$s" 2>/dev/null
check "no table exits 1" test $? -eq 1
printf 'something else\n' >"$dir/other.tsv"
"$cli" batch pulses "$s" -o "$dir/other.tsv" 2>"$dir/err"
check "a table of another kind is refused" test $? -eq 1 -a "$(cat "$dir/other.tsv")" = "something else"

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
