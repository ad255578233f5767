#!/usr/bin/env bash
# Times CopyFile of a file onto a real SMB share mounted through GVfs against
# cp followed by sync of that file into the same mount, in one run, and
# prints the ratio. Starts its own Samba server and GVfs mount (as the tests
# do: tests/share/server.sh), needs root, and removes everything afterwards.
#
# Usage: tools/bench-share.sh [SIZE_MIB] [WORK_PARENT]
#   SIZE_MIB     size of the file copied (default 200)
#   WORK_PARENT  a folder on the disk that holds the source and the share's
#                folder (default /var/tmp)
# Environment: BUILD (an optimised build folder, default build/bench), REPEAT
# (default 5), BENCH_ARGS (more arguments for the program: "--each").
set -euo pipefail
cd "$(dirname "$0")/.."
SIZE_MIB="${1:-200}"
PARENT="${2:-/var/tmp}"
BUILD="${BUILD:-build/bench}"
REPEAT="${REPEAT:-5}"

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DTARNIVO_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target tarnivo_bench -j2 >/dev/null

E2E_TIMEOUT=30
# shellcheck source=../tests/e2e/lib.sh
. tests/e2e/lib.sh
# shellcheck source=../tests/share/server.sh
. tests/share/server.sh
WORK="$(mktemp -d "$PARENT/tarnivo-bench-share.XXXXXX")"
finish() {
  share_stop
  rm -rf "$WORK"
}
trap finish EXIT

share_start "$WORK/server" "$WORK/run"
echo "preparing ${SIZE_MIB} MiB in $WORK ($(df -PT "$WORK" | awk 'NR==2 {print $2}')), share at $SHARE_MOUNT"
head -c "${SIZE_MIB}M" /dev/urandom >"$WORK/src.bin"
sync "$WORK/src.bin"
# shellcheck disable=SC2206
"$BUILD/bench/tarnivo_bench" --disk "$WORK" --share "$SHARE_MOUNT" --only share --repeat "$REPEAT" \
  ${BENCH_ARGS:-}
