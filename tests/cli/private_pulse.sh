# Sourced by the device tests: a private sound server in a private runtime
# folder under $dir (which the caller made), with a null sink "nul".
# pulse_start sets server_pid; pulse_stop stops it by its pid and waits.
mkdir -m 700 "$dir/runtime" "$dir/home"
export XDG_RUNTIME_DIR=$dir/runtime HOME=$dir/home
unset PULSE_SERVER PULSE_SINK PULSE_SOURCE DBUS_SESSION_BUS_ADDRESS || true
server_pid=

pulse_start() {
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
