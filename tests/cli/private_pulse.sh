# The one private sound server of the scripts, sourced by the device tests
# (tests/cli) and scripts/screenshot_recording.sh:
#   pulse_require TOOL...  exits 77 (skipped) unless pulseaudio and every TOOL
#                          are installed
#   pulse_start            starts a sound server with a null sink "nul" whose
#                          runtime folder and home lie under $dir (made by the
#                          caller, mode 700), so that it meets no other
#                          server; sets server_pid
#   pulse_stop             stops that server by its pid and waits for it
#   pulse_vanish_under PID SECONDS
#                          kills that server (-9) under the running process
#                          PID and waits up to SECONDS for PID to end by
#                          itself; fails the script (killing PID) when it
#                          does not, else sets vanished_status to its exit
#                          status
server_pid=
vanished_status=

pulse_require() {
  local tool
  for tool in pulseaudio "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: pulseaudio${1:+ (with $*)} is not installed"
      exit 77
    fi
  done
}

pulse_start() {
  mkdir -m 700 "$dir/runtime" "$dir/home"
  export XDG_RUNTIME_DIR=$dir/runtime HOME=$dir/home
  unset PULSE_SERVER PULSE_SINK PULSE_SOURCE DBUS_SESSION_BUS_ADDRESS || true
  pulseaudio -D --exit-idle-time=-1 --disallow-exit -n --load="module-null-sink sink_name=nul" \
    --load="module-native-protocol-unix" --log-target=file:"$dir/server.log"
  for _ in $(seq 50); do
    [ -s "$XDG_RUNTIME_DIR/pulse/pid" ] && [ -S "$XDG_RUNTIME_DIR/pulse/native" ] && break
    sleep 0.1
  done
  server_pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid")
  echo "private sound server: pid $server_pid"
}

pulse_stop() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
  fi
}

pulse_vanish_under() {
  local pid=$1 seconds=$2
  kill -9 "$server_pid"
  server_pid=
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "process $pid did not end within $seconds s after the sound server went away"
    exit 1
  fi
  vanished_status=0
  wait "$pid" || vanished_status=$?
}
