#!/usr/bin/env bash
# What a screen reader finds in the real program, under a private Xvfb and a
# private D-Bus session with its own accessibility bus (session.sh): the
# dialog's controls with their roles, names, states and labels, a message box
# as an alert with its text and buttons, and the help text.
#
#   run.sh TARNIVO XHELPER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${A11Y_SESSION:-}" ] || A11Y_SESSION=1 exec "$here/session.sh" bash "$0" "$@"
TARNIVO=$(realpath "$1")
XHELPER=$(realpath "$2")
# shellcheck source=../e2e/lib.sh
. "$here/../e2e/lib.sh"

# expect_in_tree [--role ROLE] LINE...: each LINE is part of a line of the
# program's accessible tree (of the objects of ROLE only).
expect_in_tree() {
  local args=() line
  [ "$1" = --role ] && args=(--role "$2") && shift 2
  local deadline=$((SECONDS + E2E_TIMEOUT))
  for line in "$@"; do
    until "$here/tree.py" "${args[@]}" >"$E2E_DIR/tree" 2>&1 && grep -qF -- "$line" "$E2E_DIR/tree"; do
      [ "$SECONDS" -lt "$deadline" ] || { sed 's/^/  /' "$E2E_DIR/tree" >&2; fail "no '$line' in the tree"; }
      sleep 0.2
    done
  done
}

e2e_setup
mkdir "$E2E_DIR/c/Archive"
echo "new" >"$E2E_DIR/c/Letter.txt"
echo "old" >"$E2E_DIR/d/Letter.txt"
start_tarnivo "$E2E_DIR/c/Letter.txt"
wait_dialog
expect_in_tree 'frame "Tarnivo"' \
  'radio button "Copy" [checked' 'radio button "Move"' 'radio button "Local" [checked' \
  'radio button "Network"' 'label "C:\Letter.txt"' 'label "to"' 'combo box "c: [c]"' \
  'text "Network" [editable] {labelled-by: "Network"} = \\' 'tree table "Folders"' \
  'table cell "c:\" [selected, expanded, expandable]' 'table cell "Archive"' \
  'label "as" {label-for: "text"}' \
  'text "" [editable] {labelled-by: "as"} = Letter.txt' 'push button "OK" [default]' \
  'push button "Cancel"' 'push button "Help"'
keys d Return
wait_message
expect_in_tree --role alert 'alert "Tarnivo"' \
  'label "The destination file already exits.\nOverwrite ?"' 'push button "Yes"' 'push button "No"'
keys n
wait_no_message
xdotool windowfocus --sync "$DIALOG"
keys F1
expect_in_tree 'frame "Tarnivo Help"' 'text "Tarnivo Help" = Tarnivo\n\nTarnivo copies or moves'
"$XHELPER" close "$DIALOG"
wait_exit 0
expect_file "$E2E_DIR/d/Letter.txt" "old"
echo "PASS: a11y"
