#!/usr/bin/env bash
# Sets everything up (see setup.sh), then runs the panel.
#
# Without a device: starts tavrin4x-sim, which offers the device on the
# virtual serial port build/COM1 (the panel's "COM1") and on TCP
# 127.0.0.1:2323 (type that into the Ethernet address box), and stops it when
# the panel closes.
# With a device: ./scripts/run.sh --device (no simulator; COM1..COM9 resolve
# to entries beside the program, else /dev/ttyS0..8).
# Without a display, the panel runs on a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

use_sim=1
for arg in "$@"; do
  case "$arg" in
    --device) use_sim=0 ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $arg (try --help)" >&2; exit 2 ;;
  esac
done

# Only what runs here; the tests and benchmarks build with their own commands.
./scripts/setup.sh tavrin4x tavrin4x-sim
BUILD_DIR=$(cd "${BUILD_DIR:-build}" && pwd)

sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT INT TERM

if [ "$use_sim" = 1 ]; then
  sim_out="$BUILD_DIR/tavrin4x-sim.out"
  # After a restart command the panel ends its own session; the simulator
  # dropping it as well would only add a second message.
  "$BUILD_DIR/simulator/tavrin4x-sim" --listen 127.0.0.1:2323 --serial "$BUILD_DIR/COM1" \
    --log "$BUILD_DIR/tavrin4x-sim.log" --restart-drop-ms -1 < /dev/null > "$sim_out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q '^tavrin4x-sim: listening on' "$sim_out" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q '^tavrin4x-sim: listening on' "$sim_out" 2>/dev/null; then
    echo "The simulator did not start:" >&2
    cat "$sim_out" >&2
    exit 1
  fi
  echo "Simulated TAVRIN-4X: serial COM1 ($BUILD_DIR/COM1), Ethernet 127.0.0.1:2323;" \
       "traffic in $BUILD_DIR/tavrin4x-sim.log"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running the panel on a virtual display (Xvfb)."
  xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD_DIR/tavrin4x"
else
  "$BUILD_DIR/tavrin4x"
fi
