#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Norvane
# need, but only those that are missing: with everything in place it changes
# nothing, prints nothing and needs no network.
#
# List every package by the name dpkg records it under once installed, never
# by a virtual name that another package provides (such a name never reads
# as installed, and every run would install again); the test
# tests/scripts/setup_test.sh checks that a second run installs nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
  qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools libgl-dev libx11-dev
  clang libclang-rt-14-dev
  libsoxr-dev libpulse-dev python3 python3-numpy python3-scipy parallel
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

# A listed name that still does not read as installed is a virtual name.
for p in "${missing[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    echo "Listed package '$p' is not installed under that name; list the package that provides it" >&2
    exit 1
  fi
done
