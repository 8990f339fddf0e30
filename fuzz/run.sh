#!/usr/bin/env bash
# Runs one fuzz target for as long as asked:
#
#   fuzz/run.sh TARGET SECONDS [libFuzzer options...]
#
# TARGET is serial_rx, tcp_rx, device_model or console. The target's corpus in
# the tree (fuzz/corpus/TARGET: seeds and every input that once found a fault)
# is replayed first; new inputs the fuzzer keeps go to BUILD/fuzz-work/TARGET,
# a failing input to BUILD/fuzz-artifacts/TARGET/. SECONDS 0 only replays the
# corpus. Built by scripts/test.sh --sanitize (BUILD is build-asan). On a busy
# machine: nice -n 19 fuzz/run.sh ...
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target=$1 seconds=$2
shift 2
build=${BUILD_DIR:-build-asan}
exe=$build/fuzz/fuzz_$target
if [ ! -x "$exe" ]; then
  echo "$exe is not built: run scripts/test.sh --sanitize first" >&2
  exit 2
fi
corpus=fuzz/corpus/$target
work=$build/fuzz-work/$target
artifacts=$build/fuzz-artifacts/$target
mkdir -p "$work" "$artifacts" "$corpus"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# The panel targets keep one window for the whole run, whose caches grow by
# design; their leaks are the test suite's to find (it runs under the same
# leak check), and -rss_limit_mb catches growth.
case "$target" in *_rx) set -- -detect_leaks=0 "$@" ;; esac

log=$build/fuzz-work/$target.log
if [ "$seconds" = 0 ]; then
  set -- -runs=0 "$@"
else
  set -- -max_total_time="$seconds" "$@"
fi
status=0
"$exe" -print_final_stats=1 -timeout=120 -rss_limit_mb=4096 -artifact_prefix="$artifacts/" "$@" \
  "$work" "$corpus" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
runs=${runs:-0}
# Keep a running total of inputs taken without a finding.
total_file=$build/fuzz-work/$target.total
total=$(( $(cat "$total_file" 2>/dev/null || echo 0) + runs ))
if [ "$status" = 72 ]; then  # interrupted (Ctrl+C): no finding so far
  status=0
fi
if [ "$status" = 0 ]; then
  echo "$total" >"$total_file"
  echo "fuzz $target: $runs inputs in ${seconds}s, no finding ($total so far in $build)"
else
  echo "fuzz $target: FINDING after $runs inputs (exit $status), input in $artifacts/, log $log"
  echo "fuzz $target: what the log says:" >&2
  grep -E "ERROR|SUMMARY|panel fuzz|model fuzz|console fuzz|Test unit written|deadly signal|runtime error" "$log" | head -20 >&2
  exit "$status"
fi
