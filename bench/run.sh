#!/bin/sh
# Builds the benchmarks and the simulator, runs them headless and prints the
# table. Usage: bench/run.sh [build-dir]   (default: build/ in the project)
# JOBS=n limits the build's parallelism.
# Exit status: 0 all targets met, 1 a benchmark failed, 2 a target missed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target tavrin4x-sim bench_startup bench_exchange bench_idle --parallel "$jobs" >/dev/null

export QT_QPA_PLATFORM=offscreen
out=$(mktemp)
runtime=""
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    runtime=$(mktemp -d)
    export XDG_RUNTIME_DIR="$runtime"
fi
trap 'rm -rf "$out" $runtime' EXIT

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
