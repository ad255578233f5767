#!/usr/bin/env bash
# Start-up benchmark of the Linux program under a private Xvfb. Not a test:
# it prints figures and their ratios against references measured in the
# same run, the two sides taking turns so that both meet the same load.
#
#   1. From starting it to its window being mapped, median of RUNS, beside
#      a small GTK dialog (zenity --question); peak resident memory of each.
#   2. The same for a file in a folder of 100 000 files and 100 000
#      subfolders, beside `ls -f` of that folder.
#   3. Entering a folder of 20 000 subfolders from the folder list (Enter)
#      until the next key (F1) is answered (the help window mapped), beside
#      F1 alone and `ls -f` of the folder.
#
#   tools/bench-startup.sh [RUNS]     (BENCH_BUILD=DIR: the program built there,
#                                     default build/linux; BIG_RUNS: runs of 2
#                                     and 3, default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10}
big_runs=${BIG_RUNS:-5}
build="${BENCH_BUILD:-$root/build/linux}"

for tool in Xvfb zenity xdotool; do
  command -v "$tool" >/dev/null || { echo "bench-startup.sh: $tool is missing (tools/install-deps.sh)" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset linux >/dev/null)
cmake --build "$build" --target tarnivo tarnivo_xhelper >/dev/null
helper="$build/tests/tarnivo_xhelper"
tarnivo="$build/tarnivo"

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnivo-bench.XXXXXX")
xvfb=""
program=""
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/Documents"
echo "sample" >"$work/Documents/Report.txt"
# Both are GTK programs, measured without the accessibility bus, the portal
# and dconf, which a bare X server lacks.
export NO_AT_BRIDGE=1 GTK_USE_PORTAL=0 GSETTINGS_BACKEND=memory

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
column() { cut -d' ' -f"$1" "$2" | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
# elapsed COMMAND...: the milliseconds COMMAND takes.
elapsed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN {printf "%.1f\n", ns / 1e6}'
}

# --- 1. Start-up, beside zenity
"$helper" time-to-map "$tarnivo" "$work/Documents/Report.txt" >/dev/null  # warm-up
"$helper" time-to-map zenity --question --text "Replace the file?" >/dev/null
: >"$work/tarnivo" && : >"$work/zenity"
for _ in $(seq "$runs"); do
  "$helper" time-to-map "$tarnivo" "$work/Documents/Report.txt" >>"$work/tarnivo"
  "$helper" time-to-map zenity --question --text "Replace the file?" >>"$work/zenity"
done
tarnivo_ms=$(column 1 "$work/tarnivo")
zenity_ms=$(column 1 "$work/zenity")
printf 'from start to window shown, median of %d runs     wall ms  processor ms  peak MiB\n' "$runs"
printf '  tarnivo                                      %8.1f  %12.1f  %8.1f\n' "$tarnivo_ms" \
  "$(column 2 "$work/tarnivo")" "$(column 3 "$work/tarnivo")"
printf '  GTK dialog (zenity --question)               %8.1f  %12.1f  %8.1f\n' "$zenity_ms" \
  "$(column 2 "$work/zenity")" "$(column 3 "$work/zenity")"
printf '  wall-time ratio tarnivo / GTK dialog         %8s   (target: at most 0.7)\n' \
  "$(ratio "$tarnivo_ms" "$zenity_ms")"

# --- 2. A file among 100 000 files and 100 000 folders
big="$work/big"
mkdir "$big"
(cd "$big" && seq -f 'file%06g.txt' 0 99999 | xargs touch && seq -f 'folder%06g' 0 99999 | xargs mkdir)
echo "sample" >"$big/Report.txt"
"$helper" time-to-map "$tarnivo" "$big/Report.txt" >/dev/null  # warm-up
: >"$work/big-tarnivo" && : >"$work/big-ls"
for _ in $(seq "$big_runs"); do
  "$helper" time-to-map "$tarnivo" "$big/Report.txt" >>"$work/big-tarnivo"
  elapsed ls -f "$big" >>"$work/big-ls"
done
big_ms=$(column 1 "$work/big-tarnivo")
big_ls_ms=$(column 1 "$work/big-ls")
printf '\na file among 100 000 files and 100 000 folders, median of %d\n' "$big_runs"
printf '  tarnivo, start to window shown               %8.1f ms  (peak %.1f MiB)\n' "$big_ms" \
  "$(column 3 "$work/big-tarnivo")"
printf '  ls -f of the folder                          %8.1f ms\n' "$big_ls_ms"
printf '  ratio                                        %8s   (the earlier dialog: 370 / 90 = 4.1)\n' \
  "$(ratio "$big_ms" "$big_ls_ms")"
rm -rf "$big"

# --- 3. Entering a folder of 20 000 subfolders
mkdir -p "$work/enter/Many"
(cd "$work/enter/Many" && seq -f 'sub%05g' 0 19999 | xargs mkdir)
echo "sample" >"$work/enter/Report.txt"
# time_keys KEY...: opens the dialog with the folder list on the line of
# Many, and times KEY... until a window is mapped.
time_keys() {
  "$tarnivo" "$work/enter/Report.txt" &
  program=$!
  local window=""
  for _ in $(seq 400); do
    window=$(xdotool search --onlyvisible --name '^Tarnivo$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.05
  done
  xdotool windowfocus --sync "$window"
  xdotool key Tab Down  # the folder list: c:\, ..., enter, Many
  "$helper" time-keys "$@"
  kill "$program"
  wait "$program" 2>/dev/null || true
  program=""
}
: >"$work/enter-keys" && : >"$work/enter-f1" && : >"$work/enter-ls"
time_keys Return F1 >/dev/null  # warm-up
for _ in $(seq "$big_runs"); do
  time_keys Return F1 >>"$work/enter-keys"
  time_keys F1 >>"$work/enter-f1"
  elapsed ls -f "$work/enter/Many" >>"$work/enter-ls"
done
printf '\nentering a folder of 20 000 subfolders, median of %d\n' "$big_runs"
printf '  Enter, then F1 until the help window shows   %8.1f ms\n' "$(median <"$work/enter-keys")"
printf '  F1 alone                                     %8.1f ms\n' "$(median <"$work/enter-f1")"
printf '  ls -f of the folder                          %8.1f ms   (the earlier dialog: Enter and the next key 330 ms)\n' \
  "$(median <"$work/enter-ls")"
printf '\nload average during the run: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
