#!/usr/bin/env bash
# Opening long recordings, side by side in one run: a 10-minute and a
# one-hour 384 kHz 16-bit mono WAVE recording (bat-like calls over noise)
# opened by norvane and, where installed, by sonic-visualiser and audacity.
#
# Each desktop program starts under its own Xvfb (1600x1000x24) with fresh
# settings (a temporary HOME and XDG folders), the recording dropped from the
# page cache before each start. A screenshot is taken about every 50 ms; the
# first screen is the settled picture: the last change before the picture
# stays the same for SETTLE seconds while the program is idle (under 20 % of
# a core). Its time is the first screenshot showing that picture, counted
# from the program's start; the first picture other than the empty screen
# is reported too (the window shown). Also measured: the peak resident memory (VmHWM
# of the process, sampled) and the temporary disk it takes: the growth of the
# used space of the temporary directory's file system while open (work files
# are unlinked at once, so du cannot see them; other writers on the same
# disk show up here too) and the size of the deleted files the process holds
# open, read through /proc/PID/fd.
#
# Then `norvane-cli info FILE` and `norvane-cli edit FILE OUT --volume 100
# --from 0 --to 1000` (open, one edit, save: the copies a first edit makes),
# each against `cp FILE` into the temporary directory, the cache dropped
# before each step. Medians of RUNS runs; programs and commands take turns at
# going first.
#
# usage: bench/desktop_vs_peers.sh [--quick] [--recordings DIR] [--runs N]
#            [--build DIR] [--settle SECONDS] [--timeout SECONDS] [--png DIR]
#   --quick           only the 10-minute recording, one run each
#   --largest         also the largest WAVE file: 5592 s (93 min), 4.29 GB
#   --recordings DIR  where the recordings are written once and reused
#                     (default: $TMPDIR or /var/tmp, /norvane-long-recordings);
#                     it should lie on the temporary directory's disk
#   --runs N          runs per program and file (default 3)
#   --build DIR       norvane's build folder (default build/release)
#   --settle SECONDS  how long the picture must stay unchanged (default 2)
#   --timeout SECONDS give up waiting for a settled picture (default 300)
#   --png DIR         save each program's settled first screen of its first
#                     run as DIR/<program>-<file>.png
# Needs Xvfb, xwd, /usr/bin/python3 with numpy. Writing the recordings takes
# about 3.2 GB. The table goes to standard output, progress to standard error.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
py=/usr/bin/python3

quick=0
largest=0
runs=3
build=$root/build/release
settle=2
timeout_s=300
png_dir=
tmp_base=${TMPDIR:-/var/tmp}
recordings=$tmp_base/norvane-long-recordings
while (($#)); do
  case $1 in
    --quick) quick=1 runs=1 ;;
    --largest) largest=1 ;;
    --recordings) recordings=$2; shift ;;
    --runs) runs=$2; shift ;;
    --build) build=$2; shift ;;
    --settle) settle=$2; shift ;;
    --timeout) timeout_s=$2; shift ;;
    --png) png_dir=$2; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

for tool in Xvfb xwd; do
  command -v "$tool" > /dev/null || { echo "$tool is needed" >&2; exit 1; }
done
norvane=$build/src/ui/norvane
cli=$build/src/cli/norvane-cli
for exe in "$norvane" "$cli"; do
  [[ -x $exe ]] || { echo "$exe is missing: cmake --preset release && cmake --build --preset release -j2 --target norvane norvane-cli" >&2; exit 1; }
done

work=$(mktemp -d "$tmp_base/desktop-vs-peers.XXXXXX")
xvfb_pid=
cleanup() {
  local pid
  if [[ -f $work/program.pid ]]; then
    pid=$(cat "$work/program.pid")
    if [[ -n $pid ]]; then kill -KILL -- "-$pid" 2> /dev/null || true; fi
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2> /dev/null || true
    wait "$xvfb_pid" 2> /dev/null || true
    xvfb_pid=
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$recordings"
if [[ $(stat -c %d "$recordings") != $(stat -c %d "$work") ]]; then
  echo "note: $recordings is not on the file system of $work" >&2
fi
[[ -n $png_dir ]] && mkdir -p "$png_dir"

# --- The recordings, written once -------------------------------------------
make_recording() {  # NAME SECONDS
  local out=$recordings/$1.wav
  [[ -s $out ]] && return 0
  echo "writing $out ($2 s) ..." >&2
  "$py" - "$out" "$2" <<'PY'
import os, struct, sys
import numpy as np
out, seconds = sys.argv[1], int(sys.argv[2])
rate, chunk_s = 384000, 10
n = rate * seconds
part = out + ".part"
rng = np.random.default_rng(seconds)
# A call: 5 ms sweeping down from 85 to 30 kHz, raised-sine envelope.
m = rate * 5 // 1000
i = np.arange(m)
f = 85000.0 * (30000.0 / 85000.0) ** (i / m)
call = np.sin(np.pi * i / m) * np.sin(np.cumsum(2 * np.pi * f / rate))
with open(part, "wb") as w:
    w.write(b"RIFF" + struct.pack("<I", 36 + 2 * n) + b"WAVE")
    w.write(b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, 2 * rate, 2, 16))
    w.write(b"data" + struct.pack("<I", 2 * n))
    for first in range(0, n, rate * chunk_s):
        k = min(rate * chunk_s, n - first)
        x = rng.normal(0.0, 60.0, k)
        # Passes of calls about every 80 to 120 ms, with quiet stretches.
        t = 0
        while t + m < k:
            if (first + t) // (rate * 7) % 3 != 2:
                x[t:t + m] += rng.uniform(2000, 14000) * call
            t += int(rate * rng.uniform(0.08, 0.12))
        w.write(np.clip(np.rint(x), -32768, 32767).astype("<i2").tobytes())
    w.flush()
    os.fsync(w.fileno())
os.rename(part, out)
PY
}
files=(ten-minutes)
make_recording ten-minutes 600
if ((!quick)); then
  make_recording one-hour 3600
  files+=(one-hour)
fi
if ((largest)); then
  # The data chunk's 32-bit size: 5592 s of 384 kHz 16-bit mono is the
  # longest whole second that fits.
  make_recording largest 5592
  files+=(largest)
fi

# --- Cache dropping, one desktop run, one command --------------------------
# Drops one file from the page cache; prints how (and whether) it worked.
cat > "$work/drop.py" <<'PY'
import os, subprocess, sys
path = sys.argv[1]
os.sync()
fd = os.open(path, os.O_RDONLY)
os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
os.close(fd)
def resident():
    try:
        out = subprocess.run(["fincore", "-n", "-b", "-o", "RES", path],
                             capture_output=True, text=True, check=True).stdout
        return int(out.split()[0])
    except Exception:
        return -1
left = resident()
how = "fadvise"
if left > 0:
    try:
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("1\n")
        how = "fadvise+drop_caches"
    except OSError:
        how = "fadvise(drop_caches refused)"
    left = resident()
print(how, left)
PY
drop_cache() {  # FILE
  local how left
  read -r how left < <("$py" "$work/drop.py" "$1")
  echo "$how $left" >> "$work/drops"
}

# One desktop run: starts the program, watches the screen, prints
# "shown_s first_screen_s peak_kb df_mb fd_mb status" (shown: the first
# picture other than the empty screen).
cat > "$work/gui_run.py" <<'PY'
import collections, hashlib, os, signal, struct, subprocess, sys, time, zlib
display, settle, timeout_s, tmpdir, pidfile, png = sys.argv[1:7]
settle, timeout_s = float(settle), float(timeout_s)
argv = sys.argv[7:]
tick = os.sysconf("SC_CLK_TCK")
page = os.sysconf("SC_PAGE_SIZE")

def used_bytes():
    s = os.statvfs(tmpdir)
    return (s.f_blocks - s.f_bfree) * s.f_frsize

def shot():
    r = subprocess.run(["xwd", "-root", "-silent", "-display", display],
                       capture_output=True)
    return r.stdout if r.returncode == 0 else b""

def cpu_s(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / tick
    except OSError:
        return None

def hwm_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None

def deleted_open_bytes(pid):
    total, seen = 0, set()
    try:
        names = os.listdir("/proc/%d/fd" % pid)
    except OSError:
        return 0
    for name in names:
        link = "/proc/%d/fd/%s" % (pid, name)
        try:
            if not os.readlink(link).endswith(" (deleted)"):
                continue
            st = os.stat(link)
        except OSError:
            continue
        if (st.st_dev, st.st_ino) not in seen and (st.st_mode & 0o170000) == 0o100000:
            seen.add((st.st_dev, st.st_ino))
            total += st.st_blocks * 512
    return total

def write_png(data, path):
    import numpy as np
    h = struct.unpack(">25I", data[:100])
    header_size, width, height = h[0], h[4], h[5]
    byte_order, bpp, bpl, ncolors = h[7], h[11], h[12], h[19]
    px = np.frombuffer(data, np.uint8, bpl * height, header_size + 12 * ncolors)
    px = px.reshape(height, bpl)[:, :width * bpp // 8].reshape(height, width, bpp // 8)
    rgb = px[:, :, 2::-1] if byte_order == 0 else px[:, :, -3:]
    raw = np.concatenate([np.zeros((height, 1), np.uint8), rgb.reshape(height, -1)], 1)
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body)))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw.tobytes(), 6)) + chunk(b"IEND", b""))

empty = hashlib.blake2b(shot(), digest_size=16).digest()
used0 = used_bytes()
env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
start = time.monotonic()
proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                        start_new_session=True)
with open(pidfile, "w") as f:
    f.write(str(proc.pid))
last_hash, change_t, change_shot, shown_t = empty, None, b"", None
cpu = collections.deque()
peak_kb, used_max, fd_max, status = 0, used0, 0, "timeout"
try:
    while True:
        t0 = time.monotonic()
        now = t0 - start
        if now > timeout_s:
            break
        if proc.poll() is not None:
            status = "exited(%d)" % proc.returncode
            break
        data = shot()
        digest = hashlib.blake2b(data, digest_size=16).digest()
        if digest != last_hash:
            last_hash, change_t, change_shot = digest, now, data
            if shown_t is None:
                shown_t = now
        used_max = max(used_max, used_bytes())
        fd_max = max(fd_max, deleted_open_bytes(proc.pid))
        peak_kb = max(peak_kb, hwm_kb(proc.pid) or 0)
        c = cpu_s(proc.pid)
        if c is not None:
            cpu.append((now, c))
        while len(cpu) > 2 and cpu[1][0] <= now - settle:
            cpu.popleft()
        if (change_t is not None and digest != empty and now - change_t >= settle
                and cpu and now - cpu[0][0] >= settle * 0.9
                and (cpu[-1][1] - cpu[0][1]) / (now - cpu[0][0]) < 0.2):
            status = "settled"
            break
        time.sleep(max(0.0, 0.05 - (time.monotonic() - t0)))
    peak_kb = max(peak_kb, hwm_kb(proc.pid) or 0)
finally:
    if proc.poll() is None:
        os.killpg(proc.pid, signal.SIGTERM)
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
    os.unlink(pidfile)
if png != "-" and change_shot:
    write_png(change_shot, png)
print("%.3f %.3f %d %.1f %.1f %s" % (shown_t if shown_t is not None else -1,
                                     change_t if change_t is not None else -1, peak_kb,
                                (used_max - used0) / 2**20, fd_max / 2**20, status))
PY

start_xvfb() {  # sets display and xvfb_pid
  local i
  : > "$work/display"
  Xvfb -displayfd 5 -screen 0 1600x1000x24 -nolisten tcp 5> "$work/display" > /dev/null 2> "$work/xvfb.log" &
  xvfb_pid=$!
  for ((i = 0; i < 100; i++)); do
    [[ -s $work/display ]] && { display=:$(tr -dc 0-9 < "$work/display"); return 0; }
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}
stop_xvfb() {
  kill "$xvfb_pid" 2> /dev/null || true
  wait "$xvfb_pid" 2> /dev/null || true
  xvfb_pid=
}

programs=(norvane sonic-visualiser audacity)
program_path() {
  case $1 in
    norvane) echo "$norvane" ;;
    *) command -v "$1" || true ;;
  esac
}

gui_run() {  # PROGRAM FILE RUN
  local prog=$1 name=$2 run=$3 exe display home png=- result
  exe=$(program_path "$prog")
  home=$(mktemp -d "$work/home.XXXXXX")
  mkdir -p "$home/.config" "$home/.cache" "$home/.local/share" "$home/runtime" "$home/tmp"
  chmod 700 "$home/runtime"
  [[ -n $png_dir && $run == 1 ]] && png=$png_dir/$prog-$name.png
  drop_cache "$recordings/$name.wav"
  start_xvfb
  result=$(HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
    XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/runtime TMPDIR=$home/tmp \
    "$py" "$work/gui_run.py" "$display" "$settle" "$timeout_s" "$home/tmp" \
    "$work/program.pid" "$png" "$exe" "$recordings/$name.wav")
  stop_xvfb
  rm -rf "$home"
  echo "$prog $name $run $result" >> "$work/gui"
  echo "  $prog $name run $run: $result" >&2
}

# Wall seconds of one command, its output thrown away.
timed() {
  "$py" - "$@" <<'PY'
import subprocess, sys, time
t = time.monotonic()
r = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print("%.3f" % (time.monotonic() - t) if r.returncode == 0 else "failed(%d)" % r.returncode)
PY
}
cli_step() {  # STEP FILE RUN
  local step=$1 name=$2 run=$3 in=$recordings/$2.wav out=$work/x.wav s
  drop_cache "$in"
  case $step in
    cp) s=$(timed cp "$in" "$out") ;;
    info) s=$(TMPDIR=$work timed "$cli" info "$in") ;;
    edit) s=$(TMPDIR=$work timed "$cli" edit "$in" "$out" --volume 100 --from 0 --to 1000) ;;
  esac
  rm -f "$out"
  sync
  echo "$step $name $run $s" >> "$work/cli"
  echo "  $step $name run $run: $s s" >&2
}

# --- The runs, taking turns --------------------------------------------------
: > "$work/gui"
: > "$work/cli"
: > "$work/drops"
steps=(cp info edit)
for ((run = 1; run <= runs; run++)); do
  for name in "${files[@]}"; do
    for ((k = 0; k < ${#programs[@]}; k++)); do
      prog=${programs[(k + run - 1) % ${#programs[@]}]}
      [[ -n $(program_path "$prog") ]] && gui_run "$prog" "$name" "$run"
    done
    for ((k = 0; k < ${#steps[@]}; k++)); do
      cli_step "${steps[(k + run - 1) % ${#steps[@]}]}" "$name" "$run"
    done
  done
done

# --- The table ---------------------------------------------------------------
report() {
  "$py" - "$work/gui" "$work/cli" "$work/drops" "$runs" "${files[@]}" -- "${programs[@]}" <<'PY'
import collections, statistics, sys
gui_path, cli_path, drops_path, runs = sys.argv[1:5]
rest = sys.argv[5:]
files, programs = rest[:rest.index("--")], rest[rest.index("--") + 1:]
gui = collections.defaultdict(list)
for line in open(gui_path):
    prog, name, run, shown, first, peak, df, fd, status = line.split()
    gui[prog, name].append((float(first), int(peak), float(df), float(fd), status,
                            float(shown)))
cli = collections.defaultdict(list)
for line in open(cli_path):
    step, name, run, s = line.split()
    cli[step, name].append(s)
labels = {"ten-minutes": "10 min", "one-hour": "1 h", "largest": "93 min"}

def med(v):
    return statistics.median(v)

print("| Program | File | First screen s, median (min-max) | First picture s, median | "
      "Peak resident MB | Temporary disk MB (df) | Deleted files held open MB |")
print("|---|---|---|---|---|---|---|")
for prog in programs:
    for name in files:
        rows = gui.get((prog, name))
        label = labels.get(name, name)
        if not rows:
            print("| %s | %s | not installed | | | | |" % (prog, label))
            continue
        ok = [r for r in rows if r[4] == "settled"]
        bad = [r[4] for r in rows if r[4] != "settled"]
        first = [r[0] for r in ok]
        cell = ("%.2f (%.2f-%.2f)" % (med(first), min(first), max(first))
                if len(first) > 1 else "%.2f" % first[0]) if first else "-"
        if bad:
            cell += "; " + ", ".join(bad)
        print("| %s | %s | %s | %.2f | %.0f | %.0f | %.0f |" % (
            prog, label, cell, med([r[5] for r in rows]), med([r[1] for r in rows]) / 1024,
            med([r[2] for r in rows]), med([r[3] for r in rows])))
print()
for name in files:
    label = labels.get(name, name)
    def times(step):
        v = cli.get((step, name), [])
        good = [float(s) for s in v if not s.startswith("failed")]
        return good, [s for s in v if s.startswith("failed")]
    cp, cp_bad = times("cp")
    for step, what in (("info", "norvane-cli info"),
                       ("edit", "norvane-cli edit --volume 100 --from 0 --to 1000")):
        t, bad = times(step)
        if not t or not cp:
            print("- %s, %s: failed (%s)" % (label, what, " ".join(bad + cp_bad)))
            continue
        print("- %s, %s: %.2f s (%.2f-%.2f) against cp %.2f s (%.2f-%.2f): %.2f x cp%s"
              % (label, what, med(t), min(t), max(t), med(cp), min(cp), max(cp),
                 med(t) / med(cp), " (goal: at most 1.3)" if step == "info" else ""))
drops = collections.Counter()
left = 0
for line in open(drops_path):
    how, resident = line.split()
    drops[how] += 1
    left = max(left, int(resident))
print()
print("Runs: %s per program and file, programs and commands taking turns at going first. "
      "Page cache dropped before each start: %s; most bytes of the recording still "
      "cached afterwards: %s." % (runs, ", ".join("%s x%d" % kv for kv in drops.items()),
                                  "unknown (no fincore)" if left < 0 else left))
PY
}
report
