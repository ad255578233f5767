#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and opens its dialog on
# a real file, as the file manager's "Open With Tarnivo" does.
#
#   tools/run.sh [FILE]
#
# Without FILE it opens a sample letter that it creates in a temporary
# folder. Needs a desktop session: X11 (DISPLAY) or Wayland (WAYLAND_DISPLAY).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/tools/install-deps.sh"
(cd "$root" && cmake --preset linux >/dev/null && cmake --build --preset linux --target tarnivo)

if [ $# -gt 0 ]; then
  file=$(realpath -- "$1")
  [ -f "$file" ] || { echo "run.sh: no such file: $1" >&2; exit 1; }
else
  sample="${TMPDIR:-/tmp}/tarnivo-sample/Letters"
  mkdir -p "$sample"
  file="$sample/Sample letter.txt"
  [ -f "$file" ] || printf 'Dear Ann,\n\nthis letter is a sample for Tarnivo.\n' >"$file"
  echo "run.sh: opening the sample file $file"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display; run this in a desktop session, or start one with" >&2
  echo "        Xvfb :91 & DISPLAY=:91 tools/run.sh" >&2
  exit 1
fi
exec "$root/build/linux/tarnivo" "$file"
