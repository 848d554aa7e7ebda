#!/usr/bin/env bash
# Installs what is missing, builds Norvane and starts it on the demo recording.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

demo=build/release/demo.wav
build/release/src/cli/norvane-cli demo "$demo"
build/release/src/cli/norvane-cli info "$demo"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: start build/release/src/ui/norvane $demo on a desktop to see it." >&2
  exit 0
fi
exec build/release/src/ui/norvane "$demo"
