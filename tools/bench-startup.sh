#!/usr/bin/env bash
# Start-up benchmark of the Linux program: the time from starting it to its
# window being mapped, median of ten runs under a private Xvfb, beside the
# same figure for a small GTK dialog (zenity --question) measured in the same
# run. Not a test: it prints figures and their ratio.
#
#   tools/bench-startup.sh [RUNS]     (BENCH_BUILD=DIR: the program built there,
#                                     default build/linux)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10}
build="${BENCH_BUILD:-$root/build/linux}"

for tool in Xvfb zenity; do
  command -v "$tool" >/dev/null || { echo "bench-startup.sh: $tool is missing (apt-get install ${tool,,})" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset linux >/dev/null)
cmake --build "$build" --target tarnivo tarnivo_xhelper >/dev/null
helper="$build/tests/tarnivo_xhelper"

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnivo-bench.XXXXXX")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wait $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/Documents"
echo "sample" >"$work/Documents/Report.txt"
# Both are GTK programs, measured without the accessibility bus, the portal
# and dconf, which a bare X server lacks.
export NO_AT_BRIDGE=1 GTK_USE_PORTAL=0 GSETTINGS_BACKEND=memory

# The two programs take turns, so that both meet the same load.
"$helper" time-to-map "$build/tarnivo" "$work/Documents/Report.txt" >/dev/null  # warm-up
"$helper" time-to-map zenity --question --text "Replace the file?" >/dev/null
: >"$work/tarnivo" && : >"$work/zenity"
for _ in $(seq "$runs"); do
  "$helper" time-to-map "$build/tarnivo" "$work/Documents/Report.txt" >>"$work/tarnivo"
  "$helper" time-to-map zenity --question --text "Replace the file?" >>"$work/zenity"
done
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
column() { cut -d' ' -f"$1" "$2" | median; }

tarnivo_ms=$(column 1 "$work/tarnivo")
zenity_ms=$(column 1 "$work/zenity")
printf 'from start to window shown, median of %d runs (ms)    wall   processor\n' "$runs"
printf '  tarnivo                                       %7.1f   %7.1f\n' "$tarnivo_ms" "$(column 2 "$work/tarnivo")"
printf '  GTK dialog (zenity --question)                %7.1f   %7.1f\n' "$zenity_ms" "$(column 2 "$work/zenity")"
awk -v t="$tarnivo_ms" -v z="$zenity_ms" 'BEGIN {printf "  wall-time ratio tarnivo / GTK dialog          %7.3f\n", t / z}'
printf '  load average during the run: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
