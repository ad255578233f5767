#!/usr/bin/env bash
# End-to-end tests of the real program under a private Xvfb, driven with
# xdotool, its drives mapped with TARNIVO_DRIVES to temporary folders.
#
#   run.sh CASE TARNIVO XHELPER [SLOWCOPY]
set -euo pipefail
CASE=$1
TARNIVO=$(realpath "$2")
XHELPER=$(realpath "$3")
SLOWCOPY=${4:+$(realpath "$4")}
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

# The explorer's typical run: a short-alias command line, Move, another
# drive, a folder opened in the list, OK.
case_typical_move() {
  mkdir -p "$E2E_DIR/c/My Documents" "$E2E_DIR/d/Backup" "$E2E_DIR/d/Archive"
  echo "quarterly report" >"$E2E_DIR/c/My Documents/Report.doc"
  start_tarnivo 'C:\MYDOCU~1\REPORT.DOC'
  wait_dialog
  keys d                     # the drive list has the focus: drive D:
  keys Tab Down Down Return  # the folder list: d:\, Archive, Backup; open Backup
  keys alt+m
  click cmdOK
  wait_exit 0
  expect_file "$E2E_DIR/d/Backup/Report.doc" "quarterly report"
  expect_no_file "$E2E_DIR/c/My Documents/Report.doc"
  expect_no_file "$E2E_DIR/d/Archive/Report.doc"
}

# Cancel, Escape and closing the window end the program and touch nothing.
case_cancel_and_close() {
  mkdir -p "$E2E_DIR/d/Backup"
  echo "keep me" >"$E2E_DIR/c/notes.txt"
  local before
  before=$(drives_tree)

  start_tarnivo "$E2E_DIR/c/notes.txt"
  wait_dialog
  keys d alt+m
  click cmdCancel
  wait_exit 0
  [ "$(drives_tree)" = "$before" ] || fail "Cancel changed files"

  start_tarnivo "$E2E_DIR/c/notes.txt"
  wait_dialog
  keys alt+m Escape
  wait_exit 0
  [ "$(drives_tree)" = "$before" ] || fail "Escape changed files"

  # The help window does not keep the program alive once the dialog closes.
  start_tarnivo "$E2E_DIR/c/notes.txt"
  wait_dialog
  keys alt+h
  wait_until "the help window" help_shown
  keys alt+m
  "$XHELPER" close "$DIALOG"
  wait_exit 0
  [ "$(drives_tree)" = "$before" ] || fail "closing the window changed files"
}

# An existing destination: No keeps both files and the dialog; Yes replaces.
case_overwrite() {
  echo "new text" >"$E2E_DIR/c/letter.txt"
  echo "old text" >"$E2E_DIR/d/letter.txt"
  start_tarnivo "$E2E_DIR/c/letter.txt"
  wait_dialog
  keys d Return
  wait_message
  expect_message "The destination file already exits."
  expect_message "Overwrite ?"
  keys Escape              # a Yes/No box needs an answer:
  "$XHELPER" close "$MESSAGE"  # neither Escape nor its close button gives one
  expect_message "Overwrite ?"
  keys n
  wait_no_message
  still_running
  expect_file "$E2E_DIR/d/letter.txt" "old text"
  expect_file "$E2E_DIR/c/letter.txt" "new text"

  xdotool windowfocus --sync "$DIALOG"
  keys Return
  wait_message
  keys y
  wait_exit 0
  expect_file "$E2E_DIR/d/letter.txt" "new text"
  expect_file "$E2E_DIR/c/letter.txt" "new text"
}

# A drive whose folder is missing is not ready: Cancel brings the previous
# drive back; Retry after the medium came takes the new drive.
case_not_ready() {
  export TARNIVO_DRIVES="C=$E2E_DIR/c;D=$E2E_DIR/d;E=$E2E_DIR/stick"
  echo "photo" >"$E2E_DIR/c/photo.jpg"

  start_tarnivo "$E2E_DIR/c/photo.jpg"
  wait_dialog
  keys Down                # D:, whose root the list shows
  keys Down                # E: is not ready
  wait_message
  expect_message "Drive e: is not ready."
  keys Escape              # Cancel: back to D:
  wait_no_message
  xdotool windowfocus --sync "$DIALOG"
  keys Return              # OK copies into the root of the drive put back
  wait_exit 0
  expect_file "$E2E_DIR/d/photo.jpg" "photo"
  expect_no_file "$E2E_DIR/stick"

  start_tarnivo "$E2E_DIR/c/photo.jpg"
  wait_dialog
  keys e
  wait_message
  expect_message "Drive e: is not ready."
  "$XHELPER" close "$MESSAGE"  # the close control is Cancel: c: again
  wait_no_message
  xdotool windowfocus --sync "$DIALOG"
  keys e
  wait_message
  mkdir "$E2E_DIR/stick"   # the stick arrives
  keys Return              # Retry
  wait_no_message
  xdotool windowfocus --sync "$DIALOG"
  keys Return
  wait_exit 0
  expect_file "$E2E_DIR/stick/photo.jpg" "photo"
}

# A folder typed into the network box is taken over when the box loses the
# focus: clicking OK lands there, Enter lands in the folder the list showed.
case_network_box() {
  mkdir -p "$E2E_DIR/d/Share/In" "$E2E_DIR/d/Elsewhere"
  echo "minutes" >"$E2E_DIR/c/minutes.txt"

  start_tarnivo "$E2E_DIR/c/minutes.txt"
  wait_dialog
  click optNetwork
  keys Tab                 # to the network box, its text selected
  type_text "$E2E_DIR/d/Share/In"
  keys alt+a               # the name box, its text selected: typing replaces it
  type_text "minutes-copy.txt"
  click cmdOK
  wait_exit 0
  expect_file "$E2E_DIR/d/Share/In/minutes-copy.txt" "minutes"
  expect_file "$E2E_DIR/c/minutes.txt" "minutes"

  start_tarnivo "$E2E_DIR/c/minutes.txt"
  wait_dialog
  keys d                   # the list shows d:\
  click_dir_line 2 2       # d:\, Elsewhere, Share: double-click Elsewhere
  click txtFileName        # a click that enters the name box selects its text too
  type_text "minutes 2.txt"
  keys alt+c Tab           # Copy, then the network box
  type_text 'D:\Share\In'
  keys Return              # OK without leaving the box
  wait_exit 0
  expect_file "$E2E_DIR/d/Elsewhere/minutes 2.txt" "minutes"
  expect_no_file "$E2E_DIR/d/Share/In/minutes 2.txt"
}

# The keyboard in the lists: the drive list drops down on the current drive
# (a click or F4), so Down goes on to the next one; Enter in the folder list
# opens the highlighted folder, and on the open folder it presses OK.
case_keyboard_lists() {
  mkdir -p "$E2E_DIR/d/Archive" "$E2E_DIR/d/Backup"
  echo "photo" >"$E2E_DIR/c/photo.jpg"
  start_tarnivo "$E2E_DIR/c/photo.jpg"
  wait_dialog
  local windows
  windows=$(visible_windows)
  click lstDrive
  wait_until "the drive list to drop down" more_windows_than "$windows"
  keys Down Return           # c: is highlighted: Down goes to d:
  keys Tab Down Down Return  # d:\, Archive, Backup: open Backup
  keys Return                # on the open folder: OK
  wait_exit 0
  expect_file "$E2E_DIR/d/Backup/photo.jpg" "photo"
  expect_file "$E2E_DIR/c/photo.jpg" "photo"
  expect_no_file "$E2E_DIR/d/photo.jpg"

  # F4 drops the list down too; a letter in the folder list goes to the
  # folder that starts with it.
  start_tarnivo "$E2E_DIR/c/photo.jpg"
  wait_dialog
  windows=$(visible_windows)
  keys F4
  wait_until "the drive list to drop down" more_windows_than "$windows"
  keys Down Return
  keys Tab a Return          # Archive, opened
  keys Return
  wait_exit 0
  expect_file "$E2E_DIR/d/Archive/photo.jpg" "photo"
}

# Linux names with characters that drive form cannot hold: copied and moved
# under their own names, a new one typed with them, and a folder "2024: Q1"
# entered in the list.
case_linux_names() {
  mkdir -p "$E2E_DIR/d/2024: Q1" "$E2E_DIR/d/2024 Q2"
  local n
  for n in 'notes 10:30.txt' 'what?.txt' 'a"b".txt'; do echo "$n" >"$E2E_DIR/c/$n"; done

  start_tarnivo "$E2E_DIR/c/notes 10:30.txt"
  wait_dialog
  keys d                   # the list: d:\, 2024 Q2, 2024: Q1 (name order on disk)
  click_dir_line 3 2
  click cmdOK
  wait_exit 0
  expect_file "$E2E_DIR/d/2024: Q1/notes 10:30.txt" "notes 10:30.txt"

  start_tarnivo "$E2E_DIR/c/what?.txt"
  wait_dialog
  keys d alt+m Return
  wait_exit 0
  expect_file "$E2E_DIR/d/what?.txt" "what?.txt"
  expect_no_file "$E2E_DIR/c/what?.txt"

  start_tarnivo "$E2E_DIR/c/a\"b\".txt"
  wait_dialog
  keys alt+m alt+a
  type_text 'a|b <1>.txt'
  keys Return
  wait_exit 0
  expect_file "$E2E_DIR/c/a|b <1>.txt" 'a"b".txt'
  expect_no_file "$E2E_DIR/c/a\"b\".txt"

  # A character composed in the input method (GTK's own, Ctrl+Shift+U and
  # its code): Enter ends the composing, only the next one presses OK.
  GTK_IM_MODULE=gtk-im-context-simple start_tarnivo "$E2E_DIR/c/notes 10:30.txt"
  wait_dialog
  keys alt+a
  type_text 'caf'
  keys ctrl+shift+u 0 0 e 9 Return
  type_text '.txt'
  still_running
  keys Return
  wait_exit 0
  expect_file "$E2E_DIR/c/café.txt" "notes 10:30.txt"
}

# Started without a file: "File not found !!" and the end, no dialog.
case_no_argument() {
  start_tarnivo
  wait_message
  expect_message "File not found !!"
  find_dialog && fail "the dialog was shown"
  keys Return
  wait_exit 0
}

# The strip between the name box and the buttons, where a long copy's
# progress bar shows, as raw pixels.
progress_strip() {
  local x y w h ok_y
  read -r x y w h <<<"$(control_rect txtFileName)"
  read -r _ ok_y _ _ <<<"$(control_rect cmdOK)"
  import -silent -window "$DIALOG" -crop "${w}x$((ok_y - y - h))+${x}+$((y + h))" +repage rgb:- |
    md5sum
}
strip_changed() { [ "$(progress_strip)" != "$STRIP" ]; }
strip_back() { [ "$(progress_strip)" = "$STRIP" ]; }

# Names, sizes, blocks, times and modes of everything on the drives.
drives_listing() { (cd "$E2E_DIR" && find c d -printf '%p %s %b %T@ %m\n' | sort); }

# A 256 MiB copy, slowed down like one onto a slow stick, stopped while its
# progress shows: Escape during a copy, a click on Cancel and closing the
# window during a move to another drive. Each time nothing has changed, no message shows and the
# dialog is back; OK again would start afresh, Cancel ends.
case_stop_copy() {
  [ -n "$SLOWCOPY" ] || fail "no slow-copy library given"
  mkdir -p "$E2E_DIR/d/Backup"
  # Written, not sparse: a copy skips holes, so a sparse file has no data to stop.
  head -c 256M /dev/zero >"$E2E_DIR/c/disk image.iso"
  echo "kept" >"$E2E_DIR/d/Backup/notes.txt"
  local before
  before=$(drives_listing)
  # The sanitizer runtime must otherwise be the first library loaded.
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
    LD_PRELOAD="$SLOWCOPY" start_tarnivo "$E2E_DIR/c/disk image.iso"
  wait_dialog
  keys d Tab Down Down Return  # d:\, Backup: open Backup
  STRIP=$(progress_strip)

  local stop
  for stop in Escape cmdCancel close; do
    [ "$stop" = cmdCancel ] && keys alt+m  # a move from here on
    xdotool windowfocus --sync "$DIALOG"
    keys alt+a Return          # OK from the name box
    wait_until "the progress to show" strip_changed
    case $stop in
      Escape) keys Escape ;;
      cmdCancel) click cmdCancel ;;
      close) "$XHELPER" close "$DIALOG" ;;
    esac
    wait_until "the progress to go" strip_back
    [ -n "${E2E_SHOTS:-}" ] && import -silent -window root "$E2E_SHOTS/stopped-$stop.png"
    still_running
    no_message || fail "a message box after the stop"
    [ "$(drives_listing)" = "$before" ] || fail "the stop by $stop changed files"
  done
  keys Escape                  # now Cancel: the program ends
  wait_exit 0
  [ "$(drives_listing)" = "$before" ] || fail "files changed"
}

# The desktop's scale, Xft.dpi as xrdb sets it, sizes the dialog, its text,
# its message boxes and the help window; without it the dialog is at 96 dpi
# (its layout larger where the desktop's font needs it, alike at each scale).
# Text and icons stand out in the default and in a dark theme at each scale.
case_hidpi() {
  command -v xrdb >/dev/null || fail "xrdb is missing: run tools/install-deps.sh"
  echo "new" >"$E2E_DIR/c/letter.txt"
  echo "old" >"$E2E_DIR/d/letter.txt"
  mkdir "$E2E_DIR/c/Archive"  # a second line in the folder list, not highlighted
  twips() { twips_to_px "$1" "$DIALOG_DPI"; }
  px() { echo $((($1 * dpi + 48) / 96)); }
  # The height of the dark pixels of the source's label (the text drawn).
  label_text_height() {
    import -window "$DIALOG" "$E2E_DIR/shot.png"
    convert "$E2E_DIR/shot.png" -crop "$(twips 3135)x$(twips 255)+$(twips 120)+$(twips 420)" +repage \
      -colorspace Gray -threshold 50% -format '%@' info: | sed 's/^[0-9]*x\([0-9]*\)+.*/\1/'
  }
  # within ACTUAL EXPECTED TOLERANCE
  within() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }
  # visible THEME: the dialog is light or dark as THEME says, and in each
  # region (twips) of its text and icons some pixels stand out from the
  # region's mean grey by at least the percentage given; else WHY says not.
  visible() {
    import -window "$DIALOG" "$E2E_DIR/shot.png"
    local what l t w h need ink
    ink=$(convert "$E2E_DIR/shot.png" -colorspace Gray -format '%[fx:round(100*mean)]' info:)
    WHY="the dialog is $ink % bright in the $1 theme"
    case $1 in dark) [ "$ink" -lt 40 ] ;; *) [ "$ink" -gt 60 ] ;; esac || return 1
    while read -r what l t w h need; do
      ink=$(convert "$E2E_DIR/shot.png" -crop "$(twips "$w")x$(twips "$h")+$(twips "$l")+$(twips "$t")" +repage \
        -colorspace Gray -format '%[fx:round(100*max(maxima-mean,mean-minima))]' info:)
      WHY="the $what stands out by $ink % in the $1 theme at $dpi dpi"
      [ "$ink" -ge "$need" ] || return 1
    done <<'EOF'
source_label 120 420 3135 255 35
name_box 480 3480 3135 288 35
OK_caption 120 3840 1095 372 35
folder_name 600 1695 1500 240 35
folder_icon 285 1695 240 240 20
EOF
  }
  expect_visible() {  # polls: a window is mapped before it is drawn
    local deadline=$((SECONDS + E2E_TIMEOUT))
    until visible "$1"; do
      [ "$SECONDS" -lt "$deadline" ] || fail "$WHY"
      sleep 0.1
    done
  }
  local dpi size text text96 layout96 message message96 w h w96 h96
  for dpi in 96 144 192; do
    if [ "$dpi" = 96 ]; then xrdb -remove; else echo "Xft.dpi: $dpi" | xrdb -nocpp -load -; fi
    # A dark theme keeps every text and icon visible.
    GTK_THEME=Adwaita:dark start_tarnivo "$E2E_DIR/c/letter.txt"
    wait_dialog
    expect_visible dark
    keys Escape
    wait_exit 0

    start_tarnivo "$E2E_DIR/c/letter.txt"
    wait_dialog
    expect_visible light
    size=$(window_size "$DIALOG")
    text=$(label_text_height)
    keys d Return
    wait_message
    message=$(window_size "$MESSAGE")
    keys n
    wait_no_message
    xdotool windowfocus --sync "$DIALOG"
    keys alt+h
    wait_until "the help window" help_shown
    [ "$(window_size "$(xdotool search --onlyvisible --name '^Tarnivo Help$')")" = "$(px 480)x$(px 460)" ] ||
      fail "help window at $dpi dpi is not $(px 480)x$(px 460)"
    "$XHELPER" close "$DIALOG"
    wait_exit 0
    note "$dpi dpi: dialog $size (laid out at $DIALOG_DPI dpi), text $text px high, message box $message"

    [ "$dpi" = 96 ] && text96=$text && message96=$message && layout96=$DIALOG_DPI && continue
    # As at 96 dpi scaled, give or take the rounding of sizes and of the font.
    within "$((DIALOG_DPI * 96))" "$((layout96 * dpi))" "$((4 * dpi))" ||
      fail "dialog laid out at $DIALOG_DPI dpi at $dpi dpi, at $layout96 at 96"
    within "$((text * 96))" "$((text96 * dpi))" "$((2 * dpi))" ||
      fail "text $text px high at $dpi dpi, $text96 at 96"
    IFS=x read -r w h <<<"$message"
    IFS=x read -r w96 h96 <<<"$message96"
    within "$((w * 96))" "$((w96 * dpi))" "$((w96 * dpi / 10))" ||
      fail "message box $message at $dpi dpi, $message96 at 96"
    within "$((h * 96))" "$((h96 * dpi))" "$((h96 * dpi / 10))" ||
      fail "message box $message at $dpi dpi, $message96 at 96"
  done
  expect_file "$E2E_DIR/d/letter.txt" "old"
}

[ "$CASE" = hidpi ] && E2E_SCREEN=2560x1600  # room for the help window beside the dialog at 192 dpi
e2e_setup
"case_$CASE"
echo "PASS: $CASE"
