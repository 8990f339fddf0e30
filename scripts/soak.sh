#!/usr/bin/env bash
# Soak run, not part of the tests: the panel against tavrin4x-sim with a
# faulty line (drops, cut, soiled and unterminated replies), device restarts
# and front-panel changes, driven by random actions on both links for the
# given minutes, with a full refresh checked against the simulator's state
# at every checkpoint and at the end. Prints "N passed, M failed" figures;
# exits non-zero on any crash, hang, mismatch or inconsistent state.
#
#   scripts/soak.sh [MINUTES] [tavrin4x-soak options, e.g. --seed 7]
#
# On a shared machine: nice -n 10 scripts/soak.sh 10
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
[ $# -gt 0 ] && shift
./scripts/setup.sh >/dev/null
exec "${BUILD_DIR:-build}/soak/tavrin4x-soak" --minutes "$minutes" "$@"
