#!/usr/bin/env bash
# Installs the Debian packages the panel needs (only what is missing), then
# configures and builds into ./build. Safe to run any number of times.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake g++ make qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
          libgl-dev ccache xvfb xauth fonts-dejavu-core)
# test.sh --sanitize adds clang here (its fuzz targets need libFuzzer).
read -r -a extra <<< "${SETUP_EXTRA_PACKAGES:-}"
PACKAGES+=("${extra[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
read -r -a cmake_args <<< "${SETUP_CMAKE_ARGS:-}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cmake_args[@]}" >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
