#!/usr/bin/env bash
# Builds Tarnivo and runs every test:
#   1. Linux build with warnings as errors: unit, integration and end-to-end
#      tests (the e2e tests start their own Xvfb);
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the 32-bit and 64-bit Windows builds, and under Wine the suite of each
#      that this machine can run (only the 64-bit one where the kernel cannot
#      run 32-bit programs);
#   4. the fuzz targets, each for a bounded time.
# Installs what is missing first (Debian or Ubuntu; needs root or sudo).
# A suite that is not run is named, with the reason, in a line "# not run: ".
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows

echo "== Source format"
tools/check-format.sh

echo "== Linux build and tests"
cmake --preset ci
cmake --build --preset ci
ctest --preset ci

echo "== Sanitizer build and tests"
cmake --preset asan
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan

echo "== Windows builds"
for arch in win32 win64; do
  cmake --preset "$arch"
  cmake --build --preset "$arch"
done

echo "== Windows program under Wine"
suites=0
for arch in win32 win64; do
  if why="$(tests/wine/run.sh --can-run "$arch")"; then
    echo "-- the $arch suite: $why"
    WINE_ARCH="$arch" tests/wine/run.sh
    suites=$((suites + 1))
  else
    echo "# not run: the $arch Wine suite, since $why"
  fi
done
if [ "$suites" -eq 0 ]; then
  echo "FAIL: this machine runs no Wine suite at all"
  exit 1
fi

echo "== Fuzzing"
tools/fuzz.sh "${FUZZ_SECONDS:-60}"
echo "== All tests passed"
