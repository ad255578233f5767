#!/usr/bin/env bash
# End-to-end tests of the real program against a real SMB share: a private
# Samba server on 127.0.0.1, mounted through GVfs and its FUSE folder as the
# desktop's file manager mounts it, the program under a private Xvfb.
#
#   run.sh "CASE..." TARNIVO XHELPER
#
# The cases run one after the other against one server (starting it takes
# several seconds), each on emptied drives and shares.
#
# Needs root (or a user allowed to mount FUSE), smbd, gvfs and /dev/fuse: a
# machine that lacks them fails the test, it does not skip it.
set -euo pipefail
CASES=$1
TARNIVO=$(realpath "$2")
XHELPER=$(realpath "$3")
E2E_TIMEOUT=${E2E_TIMEOUT:-30}
# shellcheck source=../e2e/lib.sh
. "$(dirname "$0")/../e2e/lib.sh"
# shellcheck source=server.sh
. "$(dirname "$0")/server.sh"

UNC='\\127.0.0.1\share'

stop_all() {
  set +e
  [ -n "${E2E_DIR:-}" ] && kill "$(cat "$E2E_DIR/tarnivo.pid" 2>/dev/null)" 2>/dev/null
  share_stop
  cleanup
}

# type_network TEXT: Network, the box, TEXT (taken over when OK is clicked).
type_network() {
  click optNetwork
  keys Tab
  type_text "$1"
}

# Copy and move from a drive into a folder of the share typed in the
# Network box: the files arrive on the server.
case_to_share() {
  mkdir "$SHARE_ROOT/dir"
  head -c 3000000 /dev/urandom >"$E2E_DIR/c/report.bin"  # several chunks of the copy
  echo "budget" >"$E2E_DIR/d/budget.txt"
  start_tarnivo "$E2E_DIR/c/report.bin"
  wait_dialog
  type_network "$UNC\\dir"
  click cmdOK
  wait_exit 0
  cmp "$E2E_DIR/c/report.bin" "$SHARE_ROOT/dir/report.bin" || fail "the copy on the share differs"

  start_tarnivo "$E2E_DIR/d/budget.txt"
  wait_dialog
  keys alt+m
  type_network "$UNC\\DIR"
  click cmdOK
  wait_exit 0
  expect_file "$SHARE_ROOT/dir/budget.txt" "budget"
  expect_no_file "$E2E_DIR/d/budget.txt"
}

# A file on the share, opened through its FUSE path: copied to a drive,
# moved into a folder of the same share, then moved to a local disk.
case_from_share() {
  mkdir "$SHARE_ROOT/dir" "$E2E_DIR/c/Local"
  echo "minutes" >"$SHARE_ROOT/minutes.txt"
  start_tarnivo "$SHARE_MOUNT/minutes.txt"
  wait_dialog
  keys d Return            # drive D:, OK
  wait_exit 0
  expect_file "$E2E_DIR/d/minutes.txt" "minutes"
  expect_file "$SHARE_ROOT/minutes.txt" "minutes"

  start_tarnivo "$SHARE_MOUNT/minutes.txt"
  wait_dialog
  keys alt+m
  # The list: c:\, run, gvfs, the share, then its folder dir.
  click_dir_line 5 2
  click cmdOK
  wait_exit 0
  expect_file "$SHARE_ROOT/dir/minutes.txt" "minutes"
  expect_no_file "$SHARE_ROOT/minutes.txt"

  start_tarnivo "$SHARE_MOUNT/dir/minutes.txt"
  wait_dialog
  keys alt+m
  type_network 'C:\Local'
  click cmdOK
  wait_exit 0
  expect_file "$E2E_DIR/c/Local/minutes.txt" "minutes"
  expect_no_file "$SHARE_ROOT/dir/minutes.txt"
}

# An existing file on the share: No keeps it, Yes replaces it.
case_overwrite_on_share() {
  echo "new text" >"$E2E_DIR/c/letter.txt"
  echo "old text" >"$SHARE_ROOT/letter.txt"
  start_tarnivo "$E2E_DIR/c/letter.txt"
  wait_dialog
  type_network "$UNC"
  click cmdOK
  wait_message
  expect_message "Overwrite ?"
  keys n
  wait_no_message
  still_running
  expect_file "$SHARE_ROOT/letter.txt" "old text"

  xdotool windowfocus --sync "$DIALOG"
  click cmdOK
  wait_message
  keys y
  wait_exit 0
  expect_file "$SHARE_ROOT/letter.txt" "new text"
  expect_file "$E2E_DIR/c/letter.txt" "new text"
  [ -z "$(ls -A "$SHARE_ROOT" | grep -v '^letter.txt$')" ] || fail "left on the share: $(ls -A "$SHARE_ROOT")"
}

# The share goes away while the dialog is open: the transfer error report,
# and nothing is lost.
case_unmounted_share() {
  echo "draft" >"$E2E_DIR/c/draft.txt"
  start_tarnivo "$E2E_DIR/c/draft.txt"
  wait_dialog
  keys alt+m
  type_network "$UNC"
  keys alt+a               # the list takes the share over
  share_unmount "smb://127.0.0.1:$SHARE_PORT/share"
  wait_until "the share to leave the FUSE folder" test ! -e "$SHARE_MOUNT"
  click cmdOK
  wait_message
  expect_message "Error during copy or move."
  keys Return
  wait_no_message
  still_running
  expect_file "$E2E_DIR/c/draft.txt" "draft"
  [ -z "$(ls -A "$SHARE_ROOT")" ] || fail "left on the share: $(ls -A "$SHARE_ROOT")"
  xdotool windowfocus --sync "$DIALOG"
  keys Escape
  wait_exit 0
}

# A share whose name holds a space, both ways.
case_spaced_share() {
  echo "plan" >"$E2E_DIR/c/plan.txt"
  start_tarnivo "$E2E_DIR/c/plan.txt"
  wait_dialog
  type_network '\\127.0.0.1\team docs'
  click cmdOK
  wait_exit 0
  expect_file "$SPACED_ROOT/plan.txt" "plan"

  start_tarnivo "$SPACED_MOUNT/plan.txt"
  wait_dialog
  keys d alt+m Return
  wait_exit 0
  expect_file "$E2E_DIR/d/plan.txt" "plan"
  expect_no_file "$SPACED_ROOT/plan.txt"
}

# Empties the drives (but for the runtime folder that holds the mounts) and
# the shares.
empty_all() {
  find "$E2E_DIR/c" "$E2E_DIR/d" -mindepth 1 -maxdepth 1 ! -path "$E2E_DIR/c/run" -exec rm -rf {} +
  find "$SHARE_ROOT" "$SPACED_ROOT" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
}

e2e_setup
trap stop_all EXIT
share_start "$E2E_DIR/server" "$E2E_DIR/c/run"
for CASE in $CASES; do
  empty_all
  "case_$CASE"
  echo "PASS: $CASE"
done
