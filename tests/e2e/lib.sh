# Helpers of the end-to-end tests: a private Xvfb, the real program started
# on temporary drives, waits on conditions, keys and clicks through xdotool,
# and checks of files and contents. Sourced by run.sh.

E2E_TIMEOUT=${E2E_TIMEOUT:-20}  # seconds that any one wait may take

fail() {
  echo "FAIL: $*" >&2
  [ -n "${TARNIVO_LOG:-}" ] && [ -s "$TARNIVO_LOG" ] && sed 's/^/  tarnivo: /' "$TARNIVO_LOG" >&2
  exit 1
}

note() { echo "-- $*"; }

# wait_until DESCRIPTION COMMAND...: polls COMMAND until it succeeds.
wait_until() {
  local what=$1
  shift
  local deadline=$((SECONDS + E2E_TIMEOUT))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $what"
    sleep 0.05
  done
}

cleanup() {
  set +e  # a process that has already gone must not stop the cleaning up
  [ -n "${TARNIVO_PID:-}" ] && kill "$(cat "$E2E_DIR/tarnivo.pid" 2>/dev/null)" 2>/dev/null
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  [ -n "${E2E_DIR:-}" ] && rm -rf "$E2E_DIR"
  return 0
}

# Starts a private X server on a free display and a temporary folder E2E_DIR.
e2e_setup() {
  for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run tools/install-deps.sh"
  done
  E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/tarnivo-e2e.XXXXXX")
  trap cleanup EXIT
  local fd_file="$E2E_DIR/display"
  # -noreset: the server must not restart each time its last client leaves.
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768}x24" -nolisten tcp -noreset 3>"$fd_file" >"$E2E_DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_until "the X server" test -s "$fd_file"
  export DISPLAY=":$(tr -d '\n' <"$fd_file")"
  mkdir -p "$E2E_DIR/c" "$E2E_DIR/d"
  export TARNIVO_DRIVES="C=$E2E_DIR/c;D=$E2E_DIR/d"
}

# start_tarnivo [ARG...]: starts the program in the background.
start_tarnivo() {
  TARNIVO_LOG="$E2E_DIR/tarnivo.log"
  TARNIVO_STATUS="$E2E_DIR/tarnivo.status"
  rm -f "$TARNIVO_STATUS"
  (
    cd "$E2E_DIR/c" || exit 1
    "$TARNIVO" "$@" >"$TARNIVO_LOG" 2>&1 &
    echo $! >"$E2E_DIR/tarnivo.pid"
    status=0
    wait $! || status=$?
    echo $status >"$TARNIVO_STATUS"
  ) &
  TARNIVO_PID=$!
}

# The visible windows titled "Tarnivo": the dialog is the one with the
# control table's proportions (3690 x 4290 twips at the scale of its layout,
# which grows with the desktop's dpi and font), any other one is a message box.
tarnivo_windows() { xdotool search --onlyvisible --name '^Tarnivo$' 2>/dev/null; }
window_size() { xdotool getwindowgeometry "$1" 2>/dev/null | awk '/Geometry/ {print $2}'; }
twips_to_px() { echo $((($1 * $2 + 720) / 1440)); }

# layout_dpi WxH: the dpi at which the dialog's client area is W x H pixels;
# fails for a window of other proportions.
layout_dpi() {
  local w h d
  IFS=x read -r w h <<<"$1"
  for d in $(((w * 1440 + 1845) / 3690 - 1)) $(((w * 1440 + 1845) / 3690)) $(((w * 1440 + 1845) / 3690 + 1)); do
    [ "$(twips_to_px 3690 "$d")" = "$w" ] && [ "$(twips_to_px 4290 "$d")" = "$h" ] && echo "$d" && return 0
  done
  return 1
}

# Sets DIALOG and DIALOG_DPI, the scale of its layout.
find_dialog() {
  local w
  for w in $(tarnivo_windows); do
    DIALOG_DPI=$(layout_dpi "$(window_size "$w")") && DIALOG=$w && return 0
  done
  return 1
}

find_message() {
  local w
  for w in $(tarnivo_windows); do
    layout_dpi "$(window_size "$w")" >/dev/null || { MESSAGE=$w && return 0; }
  done
  return 1
}

no_message() { ! find_message; }

# The number of visible windows (a drop-down list is one of its own).
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
more_windows_than() { [ "$(visible_windows)" -gt "$1" ]; }
help_shown() { xdotool search --onlyvisible --name '^Tarnivo Help$' >/dev/null 2>&1; }

# A window appeared, or the program ended without it (a failure).
dialog_or_end() { find_dialog || { ended && fail "the program ended without its dialog"; }; }
message_or_end() { find_message || { ended && fail "the program ended without a message box"; }; }

wait_dialog() {
  wait_until "the dialog" dialog_or_end
  xdotool windowfocus --sync "$DIALOG"
}

wait_message() {
  wait_until "a message box" message_or_end
  xdotool windowfocus --sync "$MESSAGE"
}

wait_no_message() { wait_until "the message box to close" no_message; }

# keys KEY...: types keys into the window that has the focus.
keys() { xdotool key --delay 30 "$@"; }
type_text() { xdotool type --delay 20 -- "$1"; }

# The open message box's text, as Ctrl+C puts it on the clipboard.
clipboard_has() {
  CLIPBOARD_TEXT=$("$XHELPER" clipboard 2>/dev/null) || return 1
  case "$CLIPBOARD_TEXT" in *"$1"*) return 0 ;; *) return 1 ;; esac
}

# expect_message TEXT: the open message box says TEXT (and is still open:
# only a message box answers Ctrl+C).
expect_message() {
  "$XHELPER" clear-clipboard
  xdotool windowfocus --sync "$MESSAGE"
  keys ctrl+c
  local deadline=$((SECONDS + E2E_TIMEOUT))
  until clipboard_has "$1"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "message box says '${CLIPBOARD_TEXT:-}', expected '$1'"
    sleep 0.05
  done
  note "message: $1"
}

# Places of the controls in the dialog, in pixels at its layout's scale: x y
# width height, each edge converted from the control table's twips.
control_rect() {
  local l t w h
  case "$1" in
    optCopy) read -r l t w h <<<"120 120 852 252" ;;
    optMove) read -r l t w h <<<"1080 120 972 252" ;;
    optDrive) read -r l t w h <<<"120 750 975 255" ;;
    optNetwork) read -r l t w h <<<"120 1080 975 255" ;;
    lstDrive) read -r l t w h <<<"1200 720 2415 315" ;;
    txtNetwork) read -r l t w h <<<"1200 1080 2415 285" ;;
    lstDir) read -r l t w h <<<"120 1440 3495 1890" ;;
    txtFileName) read -r l t w h <<<"480 3480 3135 288" ;;
    cmdOK) read -r l t w h <<<"120 3840 1095 372" ;;
    cmdCancel) read -r l t w h <<<"1320 3840 1095 372" ;;
    cmdHelp) read -r l t w h <<<"2520 3840 1095 375" ;;
    *) fail "no control $1" ;;
  esac
  local x y
  x=$(twips_to_px "$l" "$DIALOG_DPI")
  y=$(twips_to_px "$t" "$DIALOG_DPI")
  echo "$x $y $(($(twips_to_px $((l + w)) "$DIALOG_DPI") - x)) $(($(twips_to_px $((t + h)) "$DIALOG_DPI") - y))"
}

window_origin() { xdotool getwindowgeometry "$1" | awk '/Position/ {split($2, p, ","); print p[1], p[2]}'; }

# click CONTROL [CLICKS]: clicks the middle of a control.
click() {
  local x y w h ox oy
  read -r x y w h <<<"$(control_rect "$1")"
  read -r ox oy <<<"$(window_origin "$DIALOG")"
  xdotool mousemove --sync $((ox + x + w / 2)) $((oy + y + h / 2)) click --repeat "${2:-1}" --delay 80 1
}

# click_dir_line N [CLICKS]: clicks line N (from 1) of the directory list,
# whose lines are 240 twips high inside its one-pixel frame.
click_dir_line() {
  local ox oy x y
  read -r ox oy <<<"$(window_origin "$DIALOG")"
  read -r x y _ _ <<<"$(control_rect lstDir)"
  local line
  line=$(twips_to_px 240 "$DIALOG_DPI")
  xdotool mousemove --sync $((ox + x + 4 * line)) $((oy + y + 1 + ($1 - 1) * line + line / 2)) click --repeat "${2:-1}" --delay 80 1
}

ended() { [ -f "$TARNIVO_STATUS" ]; }

# wait_exit [STATUS]: waits for the program to end with STATUS (0).
wait_exit() {
  wait_until "the program to end" ended
  local status
  status=$(cat "$TARNIVO_STATUS")
  [ "$status" = "${1:-0}" ] || fail "the program ended with status $status, expected ${1:-0}"
  TARNIVO_PID=
}

still_running() { ! ended || fail "the program ended"; }

expect_file() {
  [ -f "$1" ] || fail "missing file $1"
  [ "$(cat "$1")" = "$2" ] || fail "$1 holds '$(cat "$1")', expected '$2'"
}

expect_no_file() { [ ! -e "$1" ] || fail "$1 should not exist"; }

# Every folder and file of the drives, files with their contents.
drives_tree() {
  (cd "$E2E_DIR" && find c d -print0 | sort -z | xargs -0 -r ls -ld --time-style=+%s.%N -- &&
    find c d -type f -print0 | sort -z | xargs -0 -r grep -H '' 2>/dev/null)
}
