#!/usr/bin/env bash
# Builds Tarnivo and runs every test:
#   1. Linux build with warnings as errors: unit, integration and end-to-end
#      tests (the e2e tests start their own Xvfb);
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the 32-bit Windows build, driven end to end under Wine;
#   4. the fuzz targets, each for a bounded time.
# Installs what is missing first (Debian or Ubuntu; needs root or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows

echo "== Linux build and tests"
cmake --preset ci
cmake --build --preset ci
ctest --preset ci

echo "== Sanitizer build and tests"
cmake --preset asan
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan

if [ -x tests/wine/run.sh ]; then
  echo "== Windows build under Wine"
  cmake --preset win32
  cmake --build --preset win32
  tests/wine/run.sh
fi

if [ -x tools/fuzz.sh ]; then
  echo "== Fuzzing"
  tools/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "== All tests passed"
