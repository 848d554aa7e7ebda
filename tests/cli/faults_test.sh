#!/usr/bin/env bash
# Faults from outside, injected into norvane-cli as a whole process: a file
# another program shortens while it is read in place, a full disk (a small
# private tmpfs), a read-only or vanished target folder, a save killed
# half way. Each time nothing that was there is lost and the failure is said.
# Usage: faults_test.sh NORVANE_CLI SHORTEN_ON_MAP_LIBRARY
set -u
cli="$1"
shim="$2"
dir=$(mktemp -d)
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
fails=0
passes=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $name"; fails=$((fails + 1)); fi
}
# Sanitizer runtimes want to come first; the shim only wraps mmap.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"
shortened="The file was shortened by another program while it was read."

"$cli" demo "$dir/demo.wav"
for n in a b; do "$cli" convert "$dir/demo.wav" "$dir/$n.wav" --type 1; done
mkdir -p "$dir/survey"
cp "$dir/a.wav" "$dir/survey/1.wav"
cp "$dir/a.wav" "$dir/survey/2-cutme.wav"
cp "$dir/b.wav" "$dir/survey/3.wav"

# --- A file shortened while it is read in place: failed, said, no crash.
cp "$dir/a.wav" "$dir/cutme.wav"
LD_PRELOAD="$shim" NV_SHORTEN_ON_MAP=cutme "$cli" info "$dir/cutme.wav" >"$dir/out" 2>"$dir/err"
st=$?
check "info of a shortened file fails (not a bus error)" test $st -eq 1
check "info says the file was shortened" grep -qF "$shortened" "$dir/err"
check "the shim did cut the file" test "$(stat -c %s "$dir/cutme.wav")" -lt "$(stat -c %s "$dir/a.wav")"
"$cli" batch pulses "$dir/survey" -o "$dir/ref.tsv" 2>/dev/null
cp "$dir/a.wav" "$dir/survey/2-cutme.wav"
LD_PRELOAD="$shim" NV_SHORTEN_ON_MAP=cutme "$cli" batch pulses "$dir/survey" -o "$dir/cut.tsv" --jobs 2 \
  2>"$dir/err"
st=$?
check "a batch over a shortened file ends as with any failed file" test $st -eq 2
check "the shortened file is in the errors file" \
  grep -qF "2-cutme.wav	$shortened" "$dir/errors-cut.tsv"
check "the other files are in the table" \
  test "$(grep -v cutme "$dir/ref.tsv")" = "$(cat "$dir/cut.tsv")"

# --- A read-only and a vanished target folder: said, nothing written.
mkdir "$dir/ro"
chmod a-w "$dir/ro"
if [ ! -w "$dir/ro" ]; then  # root writes anyway
  "$cli" convert "$dir/a.wav" "$dir/ro/x.wav" --type 1 2>"$dir/err"
  check "a save into a read-only folder fails" test $? -ne 0
  check "and says why" grep -qi "permission denied" "$dir/err"
  check "nothing is left there" test -z "$(ls -A "$dir/ro")"
fi
"$cli" convert "$dir/a.wav" "$dir/gone/x.wav" --type 1 2>"$dir/err"
check "a save into a vanished folder fails" test $? -ne 0
check "and says so" test -s "$dir/err"

# --- A save killed half way: the old file under its name stays whole.
/usr/bin/python3 - "$dir/long.wav" <<'PY'
import struct, sys
frames = 40_000_000  # 80 MB of 16-bit mono: long enough to be killed while saving
with open(sys.argv[1], 'wb') as f:
    f.write(b'RIFF' + struct.pack('<I', 36 + 2 * frames) + b'WAVEfmt ' +
            struct.pack('<IHHIIHH', 16, 1, 1, 384000, 768000, 2, 16) + b'data' + struct.pack('<I', 2 * frames))
    f.truncate(44 + 2 * frames)
PY
"$cli" convert "$dir/long.wav" "$dir/new.wav" --type 1 --level 6 --before 1 --after 1 2>/dev/null
new=$(md5sum <"$dir/new.wav")
old=$(md5sum <"$dir/b.wav")
whole=yes
for delay in 0.05 0.15 0.3 0.6; do
  cp "$dir/b.wav" "$dir/target.wav"
  "$cli" convert "$dir/long.wav" "$dir/target.wav" --type 1 --level 6 --before 1 --after 1 2>/dev/null &
  pid=$!
  sleep $delay
  kill -9 $pid 2>/dev/null
  wait $pid 2>/dev/null
  now=$(md5sum <"$dir/target.wav")
  [ "$now" = "$old" ] || [ "$now" = "$new" ] || { whole=no; echo "killed after $delay s: a half file"; }
done
check "a killed save leaves the old file or the new one, whole" test $whole = yes

# --- A full disk: a private tmpfs in a mount namespace of our own, filled
# up but for a few pages.
if unshare -rm true 2>/dev/null; then
  cat >"$dir/full.sh" <<'SH'
set -u
cli="$1"; dir="$2"; fulldir="$dir/full"
mount -t tmpfs -o size=16m tmpfs "$fulldir" || exit 77
cp "$dir/b.wav" "$fulldir/old.wav"
old=$(md5sum <"$fulldir/old.wav")
head -c 64M /dev/zero >"$fulldir/filler" 2>/dev/null
truncate -s -8192 "$fulldir/filler"
# A command-line save over an existing file on a full disk.
"$cli" convert "$dir/demo.wav" "$fulldir/old.wav" --type 1 2>"$dir/full-err"
echo "save-status $?"
echo "old-kept $([ "$(md5sum <"$fulldir/old.wav")" = "$old" ] && echo yes || echo no)"
# A batch table that can not grow: the batch stops and says why.
"$cli" batch pulses "$dir/survey" -o "$fulldir/t.tsv" 2>"$dir/full-batch-err"
echo "batch-status $?"
# Pictures that can not be written: each file in the errors file, no half picture.
if "$cli" --help | grep -q "^  batch render "; then
  "$cli" batch render "$dir/survey" -o "$fulldir/pics" --errors "$dir/pics-errors.tsv" 2>/dev/null
  echo "render-status $? $(find "$fulldir/pics" -type f | wc -l)"
fi
rm -f "$fulldir/filler"
if "$cli" --help | grep -q "^  batch render "; then
  "$cli" batch render "$dir/survey" -o "$fulldir/pics" 2>/dev/null
  echo "render-resumed $? $(find "$fulldir/pics" -name '*.png' | wc -l)"
  rm -rf "$fulldir/pics"
fi
# With room again the batch resumes to the table of an uninterrupted run.
"$cli" batch pulses "$dir/survey" -o "$fulldir/t.tsv" 2>/dev/null
echo "resumed-status $?"
cp "$fulldir/t.tsv" "$dir/resumed.tsv"
ls -A "$fulldir" >"$dir/full-ls"
SH
  mkdir "$dir/full"
  cp "$dir/a.wav" "$dir/survey/2-cutme.wav"
  "$cli" batch pulses "$dir/survey" -o "$dir/whole.tsv" 2>/dev/null
  unshare -rm bash "$dir/full.sh" "$cli" "$dir" >"$dir/full-out" 2>&1
  if grep -q "save-status" "$dir/full-out"; then
    check "a save on a full disk fails" grep -qx "save-status 1" "$dir/full-out"
    check "and says the disk is full" grep -qi "disk full\|space" "$dir/full-err"
    check "the old file is whole" grep -qx "old-kept yes" "$dir/full-out"
    check "a batch on a full disk stops" grep -qx "batch-status 1" "$dir/full-out"
    check "it says why" grep -qi "space" "$dir/full-batch-err"
    check "the resumed batch ends well" grep -qx "resumed-status 0" "$dir/full-out"
    if grep -q "render-status" "$dir/full-out"; then
      check "pictures on a full disk fail, none half written" grep -qx "render-status 2 0" "$dir/full-out"
      check "each picture's file is in the errors file" test "$(grep -c "Can not write picture" "$dir/pics-errors.tsv")" -eq 3
      check "with room again the pictures are made" grep -qx "render-resumed 0 3" "$dir/full-out"
    fi
    check "the resumed table is the uninterrupted one" cmp -s "$dir/resumed.tsv" "$dir/whole.tsv"
    check "no temporary file is left" \
      test -z "$(grep -v -e '^old.wav$' -e '^t.tsv$' -e '^t.tsv.done$' "$dir/full-ls")"
  else
    echo "no private tmpfs here; the full-disk cases are skipped"
    cat "$dir/full-out"
  fi
fi

echo "faults: $passes passed, $fails failed"
[ $fails -eq 0 ]
