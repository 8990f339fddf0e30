#!/usr/bin/env bash
# Builds the Debian package build/tavrin4x_<version>_<arch>.deb: the panel,
# the simulator, their pictures and resolution list, a menu entry and icons.
# Install it with: sudo apt install ./build/tavrin4x_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh tavrin4x tavrin4x-sim
cd "${BUILD_DIR:-build}"
rm -f tavrin4x_*.deb
cpack -G DEB
ls "$PWD"/tavrin4x_*.deb
