#!/usr/bin/env bash
# Sets everything up (see setup.sh), builds, and runs every test headless.
#
#   scripts/test.sh             the normal build in build/
#   scripts/test.sh --sanitize  a checking build in build-asan/: every program
#                               with AddressSanitizer (leaks included) and
#                               UBSan, the whole test suite under them, then a
#                               short run of each fuzz target (built with clang)
#   FUZZ_SECONDS=N              length of each of those fuzz runs (default 45;
#                               0 replays the corpus only)
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=0
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done

export QT_QPA_PLATFORM=offscreen

if [ "$sanitize" = 0 ]; then
  ./scripts/setup.sh
  cd "${BUILD_DIR:-build}"
  exec ctest --output-on-failure --parallel "$(nproc)" --timeout 300
fi

# The fuzz targets need clang's libFuzzer; the sanitizers alone work with g++.
export BUILD_DIR=${BUILD_DIR:-build-asan}
export SETUP_EXTRA_PACKAGES="clang"
export SETUP_CMAKE_ARGS="-DTAVRIN_SANITIZE=ON -DTAVRIN_FUZZ=ON"
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  export CXX=clang++
fi
./scripts/setup.sh

here=$(pwd)
# Leaks fail the run like any other report; the few that belong to the
# system libraries, not to us, are listed (with reasons) in the suppressions.
# No strict_string_checks: libxkbcommon-x11 legally strndup()s a buffer with no
# NUL inside the bound, which that option reports as an overflow.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# A failing suite does not stop the fuzz runs: every part runs, and one
# summary at the end says what passed and what did not.
suite=ok
(cd "$BUILD_DIR" && ctest --output-on-failure --parallel "$(nproc)" --timeout 600) || suite=FAILED

# Each fuzz target: its corpus (seeds and every input that once found a
# fault) first, then new inputs for a while. All run; any finding fails.
results=()
failed=0
for target in serial_rx tcp_rx device_model console; do
  if line=$(./fuzz/run.sh "$target" "${FUZZ_SECONDS:-45}"); then
    results+=("$line")
  else
    results+=("${line:-fuzz $target: FAILED (see above)}")
    failed=$((failed + 1))
  fi
  echo "${results[-1]}"
done

echo
echo "== sanitizer run summary =="
echo "test suite under ASan/UBSan: $suite"
printf '%s\n' "${results[@]}"
echo "fuzz targets: $(( ${#results[@]} - failed )) passed, $failed failed"
if [ "$suite" != ok ] || [ "$failed" -gt 0 ]; then
  exit 1
fi
