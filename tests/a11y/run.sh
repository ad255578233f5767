#!/usr/bin/env bash
# Runs one scenario of scenarios.py, the real program driven only through
# the accessibility interface, in a private D-Bus session with its own
# accessibility bus (session.sh) on a private display: an Xvfb, or with
# --wayland a headless Weston and no X display at all. Every process it
# starts is stopped by its pid.
#
#   run.sh [--wayland] SCENARIO TARNIVO
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${A11Y_SESSION:-}" ] || A11Y_SESSION=1 exec "$here/session.sh" bash "$0" "$@"
wayland=
[ "$1" = --wayland ] && wayland=1 && shift
scenario=$1
tarnivo=$(realpath "$2")
python=/usr/bin/python3  # Debian's, which has pyatspi

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnivo-a11y.XXXXXX")
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# until SECONDS COMMAND...: polls COMMAND until it succeeds.
until_ready() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "FAIL: the display did not start" >&2; exit 1; }
    sleep 0.05
  done
}

if [ -n "$wayland" ]; then
  command -v weston >/dev/null || { echo "FAIL: weston is missing: run tools/install-deps.sh" >&2; exit 1; }
  socket="tarnivo-$$"
  weston --backend=headless-backend.so --socket="$socket" --idle-time=0 >"$work/weston.log" 2>&1 &
  server=$!
  until_ready 20 test -S "$XDG_RUNTIME_DIR/$socket"
  unset DISPLAY
  export WAYLAND_DISPLAY=$socket GDK_BACKEND=wayland
else
  command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is missing: run tools/install-deps.sh" >&2; exit 1; }
  # -noreset: the server must not restart each time its last client leaves.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
  server=$!
  until_ready 20 test -s "$work/display"
  export DISPLAY=":$(tr -d '\n' <"$work/display")" GDK_BACKEND=x11
  unset WAYLAND_DISPLAY
fi
mkdir "$work/drives"
PYTHONPATH="$here" "$python" "$here/scenarios.py" "$scenario" "$tarnivo" "$work/drives"
