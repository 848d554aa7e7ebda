#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Norvane
# need, but only those that are missing: with everything in place it changes
# nothing and needs no network.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
  qt6-base-dev qt6-multimedia-dev libqt6svg6-dev qt6-tools-dev qt6-tools-dev-tools libgl-dev
  clang libclang-rt-14-dev
  libsoxr-dev libpulse-dev python3-numpy
  sox xvfb xauth xdotool x11-apps pulseaudio pulseaudio-utils poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=sudo
  else
    echo "These packages are missing and this is not root: ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
