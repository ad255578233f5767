#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: tools/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
# Undefined behaviour counts as a finding, not a line in the log.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTARNIVO_FUZZ=ON -DTARNIVO_TESTS=OFF -DTARNIVO_WERROR=ON >/dev/null
cmake --build build/fuzz -j2
ran=0
for target in build/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  ran=$((ran + 1))
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="tests/fuzz/seeds/$name"
  echo "-- $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=600 -print_final_stats=0 -artifact_prefix=build/fuzz/ "$corpus" \
    $( [ -d "$seeds" ] && echo "$seeds" ) 2>&1 | tail -n 25
done
[ "$ran" -gt 0 ] || { echo "fuzz.sh: the build made no fuzz target" >&2; exit 1; }
