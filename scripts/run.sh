#!/usr/bin/env bash
# Installs what is missing, builds Norvane and shows it on the demo recording.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

demo=build/release/demo.wav
build/release/src/cli/norvane-cli demo "$demo"
build/release/src/cli/norvane-cli info "$demo"
