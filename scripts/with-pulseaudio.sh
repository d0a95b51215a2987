#!/usr/bin/env bash
# Runs a command with a private PulseAudio server reachable through PULSE_SERVER,
# so playback is tested against a real sound server (a null sink: nothing is heard),
# then stops the server. Works as root; touches no user's sound setup.
# Usage: bash scripts/with-pulseaudio.sh COMMAND [ARGS...]
set -euo pipefail
if ! command -v pulseaudio >/dev/null; then
  echo "pulseaudio not installed: running without a sound server" >&2
  exec "$@"
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tonara-pulse.XXXXXX")
# Its own HOME and runtime folder keep the server's cookie and state out of the real ones.
HOME="$dir" XDG_RUNTIME_DIR="$dir" pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=-1 \
  -L module-null-sink -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
  >"$dir/server.log" 2>&1 &
server=$!
stop_server() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  rm -rf "$dir"
}
trap stop_server EXIT

for _ in $(seq 100); do
  [ -S "$dir/native" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$dir/native" ]; then
  echo "PulseAudio did not start:" >&2
  cat "$dir/server.log" >&2
  exit 1
fi

export PULSE_SERVER="unix:$dir/native"
"$@"
