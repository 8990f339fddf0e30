#!/usr/bin/env bash
# Installs the Debian packages the panel needs (only what is missing), then
# configures and builds into ./build. Safe to run any number of times.
#
# Usage: setup.sh [target...]   builds only the named targets (for example
# tavrin4x tavrin4x-sim); without any, everything: tests and benchmarks too.
set -euo pipefail
cd "$(dirname "$0")/.."

# The fonts are the faces the captions were fitted to (see README); dpkg-dev
# and file let cpack work out the Debian package's dependencies; the file
# tests make files unwritable even for root with chattr (e2fsprogs).
PACKAGES=(cmake g++ make qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
          libgl-dev ccache xvfb xauth fonts-dejavu-core fonts-liberation2
          fonts-wqy-microhei dpkg-dev file e2fsprogs)
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
if [ $# -gt 0 ]; then
  cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target "$@"
else
  cmake --build "$BUILD_DIR" --parallel "$(nproc)"
fi
