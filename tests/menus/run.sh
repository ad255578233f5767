#!/usr/bin/env bash
# Tests of the Linux desktop integration: the right-click entries and the
# desktop entry, in a temporary home.
#
#   run.sh formats  SOURCE_DIR   entries parse; uca.xml merges and unmerges
#   run.sh glue     SOURCE_DIR   hostile names reach the program intact
#   run.sh not_default BUILD_DIR installed into a fresh profile, Tarnivo is no
#                                file type's default application
#   run.sh rpm BUILD_DIR PROGRAM the RPM package: its files, its requirements
#                                (PROGRAM's shared libraries), an install
set -euo pipefail
CASE=$1
DIR=$(realpath "$2")
PROGRAM=${3:-}
T=$(mktemp -d "${TMPDIR:-/tmp}/tarnivo-menus.XXXXXX")
trap 'rm -rf "$T"' EXIT
export HOME=$T/home XDG_DATA_HOME=$T/home/.local/share XDG_CONFIG_HOME=$T/home/.config
export XDG_CONFIG_DIRS=$T/etc/xdg
mkdir -p "$HOME"

fail() { echo "FAIL: $*" >&2; exit 1; }
# Each named command must be there: a check that cannot run is a failure.
need() {
  local c
  for c; do command -v "$c" >/dev/null || fail "$c is missing (tools/install-deps.sh installs it)"; done
}
LABEL='Copy or Move with Tarnivo…'
MENUS=$DIR/data/menus

# key FILE GROUP KEY: the value of KEY in [GROUP] of a desktop-entry-style
# file; fails when the group or key is missing or given twice.
key() {
  awk -v group="[$2]" -v key="$3" '
    /^\[/ { in_group = ($0 == group); next }
    in_group && index($0, key "=") == 1 { n++; value = substr($0, length(key) + 2) }
    END { if (n != 1) exit 1; print value }' "$1" || fail "$1: [$2] $3 is missing or repeated"
}

# A file of groups and key=value lines only, every group and key once.
well_formed() {
  awk '/^(#.*)?$/ { next }
       /^\[[^]]+\]$/ { if (seen[$0]++) exit 1; group = $0; next }
       /^[A-Za-z0-9-]+(\[[^]]+\])?=/ { k = group substr($0, 1, index($0, "=")); if (keys[k]++) exit 1; next }
       { exit 1 }' "$1" || fail "$1 is not a well-formed desktop-entry-style file"
}

# Thunar's own uca.xml, as it writes it, with two actions of the user's.
user_uca() {
  cat <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<actions>
<action>
	<icon>utilities-terminal</icon>
	<name>Open Terminal Here</name>
	<submenu></submenu>
	<unique-id>1700000000000001-1</unique-id>
	<command>exo-open --working-directory %f --launch TerminalEmulator</command>
	<description>Example for a custom action</description>
	<range></range>
	<patterns>*</patterns>
	<startup-notify/>
	<directories/>
</action>
<action>
	<icon></icon>
	<name>Checksum &amp; copy</name>
	<submenu></submenu>
	<unique-id>1700000000000002-2</unique-id>
	<command>sh -c 'sha1sum "$1" &gt; /tmp/sum' x %f</command>
	<description></description>
	<range>*</range>
	<patterns>*</patterns>
	<text-files/>
</action>
</actions>
XML
}

case_formats() {
  # The desktop entry itself has its own test with desktop-file-validate;
  # Dolphin's service menu and the file-manager action extend the format
  # with types of their own, which the validator does not know.
  local entry
  for entry in dolphin.desktop file-manager.desktop tarnivo.nemo_action; do
    well_formed "$MENUS/$entry"
  done
  [ "$(key "$MENUS/dolphin.desktop" 'Desktop Entry' Type)" = Service ] || fail "Dolphin: not a service"
  [ "$(key "$MENUS/dolphin.desktop" 'Desktop Action copyOrMove' Name)" = "$LABEL" ] || fail "Dolphin: name"
  [ "$(key "$MENUS/dolphin.desktop" 'Desktop Action copyOrMove' Exec)" = 'tarnivo-menus open %F' ] ||
    fail "Dolphin: Exec"
  [ "$(key "$MENUS/tarnivo.nemo_action" 'Nemo Action' Name)" = "$LABEL" ] || fail "Nemo: name"
  [ "$(key "$MENUS/tarnivo.nemo_action" 'Nemo Action' Exec)" = 'tarnivo-menus open %U' ] ||
    fail "Nemo: Exec (%f would give the display name)"
  [ "$(key "$MENUS/tarnivo.nemo_action" 'Nemo Action' Quote)" = double ] || fail "Nemo: URIs unquoted"
  [ "$(key "$MENUS/file-manager.desktop" 'Desktop Entry' Type)" = Action ] || fail "actions: type"
  [ "$(key "$MENUS/file-manager.desktop" 'Desktop Entry' Name)" = "$LABEL" ] || fail "actions: name"
  # libfm (PCManFM) shows an action's tooltip, where it has one, as the menu text.
  ! grep -q '^Tooltip' "$MENUS/file-manager.desktop" || fail "actions: a tooltip would be the menu text"
  [ "$(key "$MENUS/file-manager.desktop" 'X-Action-Profile files' Exec)" = 'tarnivo-menus open %F' ] ||
    fail "actions: Exec"

  # uca.xml: added once beside the user's actions, removed to the byte.
  mkdir -p "$XDG_CONFIG_HOME/Thunar"
  user_uca >"$XDG_CONFIG_HOME/Thunar/uca.xml"
  local uca=$XDG_CONFIG_HOME/Thunar/uca.xml
  "$MENUS/tarnivo-menus" install >/dev/null
  "$MENUS/tarnivo-menus" install >/dev/null
  xmllint --noout "$uca" || fail "uca.xml does not parse"
  [ "$(xmllint --xpath 'count(/actions/action)' "$uca")" = 3 ] || fail "uca.xml: not 3 actions"
  [ "$(xmllint --xpath "count(/actions/action[unique-id='tarnivo-copy-or-move'][name='$LABEL'])" "$uca")" = 1 ] ||
    fail "uca.xml: Tarnivo's action is not there once"
  "$MENUS/tarnivo-menus" remove >/dev/null
  cmp -s "$uca" <(user_uca) || fail "remove did not give back the user's uca.xml: $(diff "$uca" <(user_uca))"
  [ ! -e "$XDG_DATA_HOME/nautilus/scripts/$LABEL" ] || fail "the Nautilus script stays"

  # Without a uca.xml of the user's, Thunar's system-wide one is the start.
  rm "$uca"
  mkdir -p "$XDG_CONFIG_DIRS/Thunar"
  user_uca >"$XDG_CONFIG_DIRS/Thunar/uca.xml"
  "$MENUS/tarnivo-menus" install >/dev/null
  [ "$(xmllint --xpath 'count(/actions/action)' "$uca")" = 3 ] || fail "uca.xml lost Thunar's defaults"
}

# The file manager's side, with a stand-in for the program that records each
# start: hostile names arrive as one argument each, one start after another.
case_glue() {
  mkdir -p "$T/bin" "$T/files"
  cp "$MENUS/tarnivo-menus" "$T/bin/"
  cat >"$T/bin/tarnivo" <<'STANDIN'
#!/bin/sh
# Records its arguments, NUL-separated, one start after another.
[ -e "$0.running" ] && echo overlap >>"$0.log"
touch "$0.running"
sleep 0.2
printf '%s\0' "start" "$@" >>"$0.log"
rm -f "$0.running"
STANDIN
  chmod 755 "$T/bin/tarnivo"
  local names=("letter to ann.txt" "it's \"quoted\".doc" $'two\nlines.txt' "c:\\dos:name.txt"
               '$(touch pwned) `x` * ?.txt' "-n" "ünïcode ☃.txt")
  local n paths=() expected=()
  for n in "${names[@]}"; do
    printf 'x' >"$T/files/$n"
    paths+=("$T/files/$n")
    expected+=("start" "$T/files/$n")
  done
  "$T/bin/tarnivo-menus" install >/dev/null
  local script=$XDG_DATA_HOME/nautilus/scripts/$LABEL
  [ -x "$script" ] || fail "no Nautilus script"

  check_log() {
    local got=()
    mapfile -d '' got <"$T/bin/tarnivo.log"
    rm -f "$T/bin/tarnivo.log"
    [ ! -e "$T/pwned" ] && [ ! -e "$T/files/pwned" ] || fail "$1: a name ran as a command"
    if [ "${got[*]@Q}" != "${expected[*]@Q}" ]; then
      fail "$1: the program got ${got[*]@Q}, expected ${expected[*]@Q}"
    fi
  }

  # Nautilus: names in the folder shown as arguments, run in that folder.
  (cd "$T/files" && NAUTILUS_SCRIPT_SELECTED_FILE_PATHS=ignored "$script" "${names[@]}")
  check_log "Nautilus script, arguments"

  # Nautilus without arguments: the list variable (no name there can hold a
  # newline, so that one is left out).
  local listed=() i
  expected=()
  for i in "${!names[@]}"; do
    [[ ${names[$i]} == *$'\n'* ]] && continue
    listed+=("${paths[$i]}")
    expected+=("start" "${paths[$i]}")
  done
  (cd / && NAUTILUS_SCRIPT_SELECTED_FILE_PATHS=$(printf '%s\n' "${listed[@]}") "$script")
  check_log "Nautilus script, NAUTILUS_SCRIPT_SELECTED_FILE_PATHS"

  # Thunar: %F becomes the paths, each quoted as g_shell_quote does, and the
  # line is split as g_shell_parse_argv does (single quotes, no expansion).
  local command
  command=$(xmllint --xpath "string(/actions/action[unique-id='tarnivo-copy-or-move']/command)" \
            "$XDG_CONFIG_HOME/Thunar/uca.xml")
  local quoted="" p
  for p in "${paths[@]}"; do quoted+=" '${p//\'/\'\\\'\'}'"; done
  command=${command/\%F/${quoted# }}
  expected=()
  for p in "${paths[@]}"; do expected+=("start" "$p"); done
  local argv=()
  eval "argv=($command)"   # only single-quoted words: what GLib's parser accepts
  "${argv[@]}"
  check_log "Thunar command line"
}

case_not_default() {
  need xdg-mime gio update-desktop-database
  local prefix=$T/usr
  cmake --install "$DIR" --prefix "$prefix" >/dev/null
  for f in bin/tarnivo bin/tarnivo-menus share/applications/tarnivo.desktop \
           share/kio/servicemenus/tarnivo.desktop share/nemo/actions/tarnivo.nemo_action \
           share/file-manager/actions/tarnivo.desktop; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
  done
  update-desktop-database "$prefix/share/applications"  # as the package does
  export XDG_DATA_DIRS=$prefix/share XDG_CURRENT_DESKTOP=
  local type out
  for type in text/plain application/octet-stream inode/x-empty application/x-zerosize; do
    out=$(xdg-mime query default "$type" 2>&1 || true)
    [[ $out != *tarnivo* ]] || fail "xdg-mime: Tarnivo is the default for $type"
    out=$(gio mime "$type" 2>&1 || true)
    [[ $out != *tarnivo* ]] || fail "gio mime $type: $out"
  done
}

# The RPM package made from the build's CPack configuration: the program,
# the desktop entry and the right-click entries at their places, and no
# folder of the desktop's own; every shared library the program loads
# required by name (the program says which, whatever its toolkit), and
# nothing but libraries and the shell; installed into a scratch root.
case_rpm() {
  (cd "$T" && cpack --config "$DIR/CPackConfig.cmake" -G RPM -B "$T/pkg" >"$T/cpack.log" 2>&1) ||
    fail "cpack -G RPM (rpmbuild comes with the rpm package): $(tail -n 5 "$T/cpack.log")"
  local package listed requires f
  package=$(ls "$T"/pkg/tarnivo-*.rpm | head -n 1)
  listed=$(rpm -qpl "$package")
  requires=$(rpm -qpR "$package")
  rpm -i --root "$T/root" --nodeps "$package" 2>"$T/rpm.log" || fail "rpm -i: $(cat "$T/rpm.log")"
  local files=" bin/tarnivo bin/tarnivo-menus share/applications/tarnivo.desktop
    share/icons/hicolor/16x16/apps/tarnivo.png share/icons/hicolor/32x32/apps/tarnivo.png
    share/kio/servicemenus/tarnivo.desktop share/nemo/actions/tarnivo.nemo_action
    share/file-manager/actions/tarnivo.desktop "
  for f in $files; do
    grep -qx "/usr/$f" <<<"$listed" && [ -e "$T/root/usr/$f" ] || fail "/usr/$f not packaged and installed"
  done
  while read -r f; do
    [[ ${files//$'\n'/ } == *" ${f#/usr/} "* || $f == /usr/share/tarnivo* ]] || fail "the package holds $f"
  done <<<"$listed"
  while read -r f; do
    grep -qxF -e "$f()" -e "$f()(64bit)" <<<"$requires" || fail "no requirement of $f: $requires"
  done < <(readelf -d "$PROGRAM" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  f=$(grep -vxE '[^ /()]+\.so[.0-9]*\(.*\)(\(64bit\))?|rpmlib\(.*|rtld\(GNU_HASH\)|/bin/sh' <<<"$requires" || true)
  [ -z "$f" ] || fail "requirements beyond shared libraries: $f"
}

"case_$CASE"
echo "PASS: $CASE"
