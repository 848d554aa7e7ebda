#!/usr/bin/env bash
# norvane-cli batch as a whole process: a folder of recordings with a bad
# file and other files, shares run side by side with GNU parallel, resuming
# after a kill, the errors file and the exit status.
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
if ! "$cli" --help | grep -q "^  batch render "; then
  echo "batch render is not built (no Qt); skipped"
  exit 0
fi

# A survey: twelve recordings in two nights, one broken file, one empty WAVE
# file and two files that are not WAVE files.
s="$dir/survey"
mkdir -p "$s/night 1" "$s/night2/sub"
"$cli" demo "$dir/demo.wav"
for i in 0 1 2 3 4 5; do
  "$cli" convert "$dir/demo.wav" "$s/night 1/rec$i.wav" --type 5 --from $((i * 100000)) --to $((i * 100000 + 300000))
  "$cli" convert "$dir/demo.wav" "$s/night2/sub/r$i.WAV" --type 1 --from $((i * 50000)) --to $((i * 50000 + 200000))
done
head -c 300 /dev/urandom >"$s/night2/broken.wav"
"$cli" convert "$dir/demo.wav" "$s/night2/empty.wav" --type 1 --from 0 --to 0
echo "notes" >"$s/night2/notes.txt"
# A field recording whose GUANO chunk has a damaged line: drawn, with a note.
/usr/bin/python3 - "$s/night2/sub/r0.WAV" <<'PY'
import struct, sys
path = sys.argv[1]
b = bytearray(open(path, 'rb').read())
size = struct.unpack_from('<I', b, 4)[0]
# Replace the chunk Norvane wrote (the last in the WAVE form) by a damaged one.
pos = 12
while pos < 8 + size:
    cid, n = b[pos:pos + 4], struct.unpack_from('<I', b, pos + 4)[0]
    if cid == b'guan':
        break
    pos += 8 + n + (n & 1)
text = b'GUANO|Version: 1.0\nTE: 10\nno colon here\nMake: Acme\n'
b = b[:pos] + b'guan' + struct.pack('<I', len(text)) + text
struct.pack_into('<I', b, 4, len(b) - 8)
open(path, 'wb').write(b)
PY
cp "$dir/demo.wav" "$s/night2/demo.bak"
render_opts=(--width 400 --height 300 --span-us 300000)

# One run over everything.
"$cli" batch render "$s" -o "$dir/all" --jobs 2 "${render_opts[@]}" 2>"$dir/err"
check "a run with failures exits 2" test $? -eq 2
check "twelve pictures" test "$(find "$dir/all" -name '*.png' | wc -l)" -eq 12
check "pictures keep the folders" test -s "$dir/all/night 1/rec3.png" -a -s "$dir/all/night2/sub/r5.png"
check "pictures are PNG" test "$(head -c 4 "$dir/all/night2/sub/r0.png" | od -An -c | tr -d ' ')" = "211PNG"
check "bad file in the errors file" grep -q "night2/broken.wav	File is not a valid WAVE sound file." "$dir/all/errors.tsv"
check "empty file in the errors file" grep -q "night2/empty.wav	The file holds no sound." "$dir/all/errors.tsv"
check "errors file has a header and two lines" test "$(wc -l <"$dir/all/errors.tsv")" -eq 3
check "summary counts" grep -qxF "batch: 14 files, 12 done now, 0 done before, 2 other files skipped, 2 failed (see $dir/all/errors.tsv)" "$dir/err"
check "plain progress lines off a terminal" grep -qE '^batch: 14/14 files, 2 failed, [0-9.]+ files/s, [0-9:]+ in all$' "$dir/err"
check "no partial pictures" test "$(find "$dir/all" -name '*.part' | wc -l)" -eq 0
check "a damaged GUANO chunk is a note, not a failure" \
  grep -qF "night2/sub/r0.WAV: The GUANO metadata of this file are partly unreadable: 1 line" "$dir/err"
# The same picture as the render command draws.
"$cli" render "$s/night 1/rec2.wav" -o "$dir/single.png" "${render_opts[@]}"
check "a batch picture is the render command's picture" cmp -s "$dir/single.png" "$dir/all/night 1/rec2.png"

# Two shares run side by side by GNU parallel give exactly the same pictures.
if command -v parallel >/dev/null; then
  parallel --will-cite "$cli" batch render "'$s'" -o "'$dir/shared'" --shard {}/2 --jobs 1 "${render_opts[@]}" \
    ::: 1 2 2>"$dir/perr"
  check "parallel shares exit 2 (a share had a failure)" test $? -eq 2
  (cd "$dir/all" && find . -name '*.png' | sort) >"$dir/list.all"
  (cd "$dir/shared" && find . -name '*.png' | sort) >"$dir/list.shared"
  check "shares give every picture" cmp -s "$dir/list.all" "$dir/list.shared"
  same=1
  while read -r f; do cmp -s "$dir/all/$f" "$dir/shared/$f" || same=0; done <"$dir/list.all"
  check "shares give the same pictures" test $same -eq 1
  check "each failure in one share's errors file" \
    test "$(cat "$dir/shared"/errors-1-of-2.tsv "$dir/shared"/errors-2-of-2.tsv 2>/dev/null | grep -c 'night2/')" -eq 2
  check "each share has seven files" test "$(grep -c '^batch: 7 files in share [12] of 2' "$dir/perr")" -eq 2
else
  echo "FAILED: GNU parallel is not installed (scripts/setup.sh installs it)"
  fails=$((fails + 1))
fi

# Resume: a run killed after its first pictures and started again skips them.
rm -f "$s/night2/broken.wav" "$s/night2/empty.wav"
"$cli" batch render "$s" -o "$dir/resumed" --jobs 1 --width 1600 --height 1200 --span-us 3000000 2>/dev/null &
pid=$!
for _ in $(seq 1 600); do
  [ "$(find "$dir/resumed" -name '*.png' 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.05
done
kill -9 $pid 2>/dev/null
wait $pid 2>/dev/null
before=$(find "$dir/resumed" -name '*.png' | wc -l)
check "the killed run left some pictures" test "$before" -ge 2 -a "$before" -lt 12
"$cli" batch render "$s" -o "$dir/resumed" --jobs 2 --width 1600 --height 1200 --span-us 3000000 2>"$dir/rerr"
check "the resumed run exits 0" test $? -eq 0
check "the resumed run skipped the pictures there" grep -qE "^batch: 12 files, $((12 - before)) done now, $before done before, 2 other files skipped$" "$dir/rerr"
check "all twelve pictures after resuming" test "$(find "$dir/resumed" -name '*.png' | wc -l)" -eq 12
check "no partial pictures after resuming" test "$(find "$dir/resumed" -name '*.part' | wc -l)" -eq 0
check "no errors file when nothing failed" test ! -e "$dir/resumed/errors.tsv"
"$cli" batch render "$s" -o "$dir/resumed" 2>"$dir/rerr"
check "a finished batch does nothing again" grep -qE "^batch: 12 files, 0 done now, 12 done before" "$dir/rerr"

# SIGTERM (a scheduler's time limit) lets the files in hand finish, takes no
# more, and the next run goes on.
rm -rf "$dir/resumed"
"$cli" batch render "$s" -o "$dir/resumed" --jobs 1 --width 1600 --height 1200 --span-us 3000000 2>"$dir/terr" &
pid=$!
for _ in $(seq 1 600); do
  [ "$(find "$dir/resumed" -name '*.png' 2>/dev/null | wc -l)" -ge 1 ] && break
  sleep 0.05
done
kill -TERM $pid
wait $pid
check "a terminated batch exits 1" test $? -eq 1
check "a terminated batch says how to go on" grep -qF "batch: interrupted; the same command goes on with the files not done." "$dir/terr"
check "a terminated batch leaves no partial picture" test "$(find "$dir/resumed" -name '*.part' | wc -l)" -eq 0
"$cli" batch render "$s" -o "$dir/resumed" --width 1600 --height 1200 --span-us 3000000 2>/dev/null
check "the run after a termination completes the pictures" test "$(find "$dir/resumed" -name '*.png' | wc -l)" -eq 12

# Two recordings whose pictures would share a name: the first in the sorted
# list keeps the picture and the later one is reported, the same way in one
# run and in shares run in either order.
c="$dir/clash"
mkdir -p "$c"
"$cli" convert "$dir/demo.wav" "$c/a.WAV" --type 1 --from 0 --to 100000
"$cli" convert "$dir/demo.wav" "$c/a.wav" --type 1 --from 100000 --to 200000
"$cli" batch render "$c" -o "$dir/clash-one" "${render_opts[@]}" 2>/dev/null
check "a clash in one run exits 2" test $? -eq 2
check "a clash in one run names the later file" grep -qF "$c/a.wav	Its picture would have the name of the picture of $c/a.WAV." "$dir/clash-one/errors.tsv"
for order in "1 2" "2 1"; do
  out="$dir/clash-${order// /}"
  status=""
  for k in $order; do
    "$cli" batch render "$c" -o "$out" --shard "$k/2" "${render_opts[@]}" 2>/dev/null
    status="$status $k:$?"
  done
  check "shares $order: the share of the later file reports it" \
    grep -qF "$c/a.wav	Its picture would have the name" "$out/errors-2-of-2.tsv"
  check "shares $order: the other share finds no clash" test ! -e "$out/errors-1-of-2.tsv"
  check "shares $order: exit statuses" test "$(echo $status | tr ' ' '\n' | sort | tr '\n' ' ')" = "1:0 2:2 "
  check "shares $order: the picture is the first file's" cmp -s "$out/a.png" "$dir/clash-one/a.png"
done

# Usage errors.
"$cli" batch render "$s" -o "$dir/x" --shard 3/2 2>"$dir/err"
check "bad share exits 1" test $? -eq 1
check "bad share message" grep -qF -- "--shard must be K/N" "$dir/err"
"$cli" batch render "$s" -o "$dir/x" --fft 100 2>"$dir/err"
check "bad render option exits 1 before any file" test $? -eq 1 -a ! -e "$dir/x/night2"
"$cli" batch sideways "$s" -o "$dir/x" 2>/dev/null
check "unknown batch work exits 1" test $? -eq 1
"$cli" batch render "$dir/none" -o "$dir/none-out" 2>"$dir/err"
check "a missing path is a failure" test $? -eq 2
check "a missing path is in the errors file" grep -q "none	No such file or directory" "$dir/none-out/errors.tsv"

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
