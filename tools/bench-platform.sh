#!/usr/bin/env bash
# Times the POSIX layer's copy (also of a sparse file, and over an old file),
# move and intake against cp, mv and ls in one run and prints the ratios. Prepares its data in a temporary folder and
# removes it afterwards.
#
# Usage: tools/bench-platform.sh [SIZE_MIB] [WORK_PARENT]
#   SIZE_MIB     size of the file copied and moved (default 1024: 1 GiB)
#   WORK_PARENT  a folder on the disk to measure (default /var/tmp)
# Environment: BUILD (an optimised build folder, default build/bench), REPEAT
# (default 3), ENTRIES (default 100000), BENCH_ARGS (more arguments for the
# program: "--only copy --each").
set -euo pipefail
cd "$(dirname "$0")/.."
SIZE_MIB="${1:-1024}"
PARENT="${2:-/var/tmp}"
BUILD="${BUILD:-build/bench}"
REPEAT="${REPEAT:-3}"
ENTRIES="${ENTRIES:-100000}"

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DTARNIVO_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target tarnivo_bench -j2 >/dev/null

WORK="$(mktemp -d "$PARENT/tarnivo-bench.XXXXXX")"
TMPFS=""
MOUNTED=""
cleanup() {
  [ -n "$MOUNTED" ] && umount "$MOUNTED" 2>/dev/null || true
  [ -n "$TMPFS" ] && [ -z "$MOUNTED" ] && rm -rf "$TMPFS"
  rm -rf "$WORK"
}
trap cleanup EXIT

echo "preparing ${SIZE_MIB} MiB in $WORK ($(df -PT "$WORK" | awk 'NR==2 {print $2}'))"
head -c "${SIZE_MIB}M" /dev/urandom > "$WORK/src.bin"
# A sparse disk image: 2 GiB holding 1 MiB at the start and 1 MiB at 1 GiB.
truncate -s 2G "$WORK/sparse.img"
for at in 0 1024; do
  head -c 1M /dev/urandom | dd of="$WORK/sparse.img" bs=1M seek="$at" conv=notrunc status=none
done
sync "$WORK/src.bin" "$WORK/sparse.img"

# A tmpfs for the move across file systems: our own mount when we may, else
# /dev/shm when it is a tmpfs.
if [ "$(id -u)" -eq 0 ] && mkdir "$WORK/tmpfs" && \
   mount -t tmpfs -o "size=$((SIZE_MIB + 64))m" tarnivo-bench "$WORK/tmpfs" 2>/dev/null; then
  TMPFS="$WORK/tmpfs"
  MOUNTED="$TMPFS"
elif [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = "tmpfs" ]; then
  TMPFS="$(mktemp -d /dev/shm/tarnivo-bench.XXXXXX)"
fi
[ -n "$TMPFS" ] && cp "$WORK/src.bin" "$TMPFS/src.bin"

mkdir "$WORK/big"
(cd "$WORK/big" && seq -f 'file%06g.txt' 0 $((ENTRIES - 1)) | xargs touch)

args=(--disk "$WORK" --big "$WORK/big" --repeat "$REPEAT")
[ -n "$TMPFS" ] && args+=(--tmpfs "$TMPFS")
# shellcheck disable=SC2206
args+=(${BENCH_ARGS:-})
"$BUILD/bench/tarnivo_bench" "${args[@]}"
