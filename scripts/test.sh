#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then, when
# clang is there, runs the fuzz targets for about a minute in all.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
cmake --preset debug
cmake --build --preset debug -j "$(nproc)"
ctest --preset debug -j "$(nproc)"

if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh "${NORVANE_FUZZ_SECONDS:-60}"
fi
