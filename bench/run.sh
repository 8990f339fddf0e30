#!/bin/sh
# Builds the benchmarks and the simulator, runs them on an X server (its own
# Xvfb when there is no DISPLAY) and prints the table.
# Usage: bench/run.sh [build-dir]   (default: build/ in the project)
# JOBS=n limits the build's parallelism.
# Exit status: 0 all targets met, 1 a benchmark failed, 2 a target missed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target tavrin4x-sim bench_startup bench_exchange bench_idle --parallel "$jobs" >/dev/null

out=$(mktemp)
runtime=""
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$out" $runtime
}
trap cleanup EXIT
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    runtime=$(mktemp -d)
    export XDG_RUNTIME_DIR="$runtime"
fi

# On an X server, as an operator runs the panel: the one in DISPLAY, else a
# private Xvfb for this run. BENCH_PLATFORM=offscreen runs without one.
if [ "${BENCH_PLATFORM:-xcb}" = offscreen ]; then
    export QT_QPA_PLATFORM=offscreen
else
    if [ -z "${DISPLAY:-}" ]; then
        command -v Xvfb >/dev/null || { echo "no DISPLAY and no Xvfb (package xvfb)" >&2; exit 1; }
        fdfile=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
        xvfb_pid=$!
        for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
        display=$(cat "$fdfile"); rm -f "$fdfile"
        [ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
        export DISPLAY=":$display"
        echo "running on a private Xvfb, display $DISPLAY" >&2
    fi
    export QT_QPA_PLATFORM=xcb
fi

status=0
for b in bench_startup bench_exchange bench_idle; do
    echo "running $b ..." >&2
    if ! "$build/bench/$b" >>"$out"; then
        echo "$b failed" >&2
        status=1
    fi
done

awk -F'\t' '
    $1 == "ROW" { n++; for (i = 2; i <= 7; i++) cell[n, i] = $i
                  for (i = 2; i <= 7; i++) if (length($i) > w[i]) w[i] = length($i)
                  if ($7 == "no") missed = 1 }
    $1 == "NOTE" { notes[++m] = $2 }
    END {
        split("measure baseline panel ratio target met?", head, " ")
        for (i = 2; i <= 7; i++) if (length(head[i - 1]) > w[i]) w[i] = length(head[i - 1])
        fmt = "%-" w[2] "s  %" w[3] "s  %" w[4] "s  %" w[5] "s  %-" w[6] "s  %s\n"
        printf fmt, head[1], head[2], head[3], head[4], head[5], head[6]
        for (r = 1; r <= n; r++) printf fmt, cell[r, 2], cell[r, 3], cell[r, 4], cell[r, 5], cell[r, 6], cell[r, 7]
        if (m) print ""
        for (k = 1; k <= m; k++) print "  " notes[k]
        exit missed ? 2 : 0
    }' "$out" || { [ "$status" -ne 0 ] || status=2; }
exit "$status"
