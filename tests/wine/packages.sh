# The Windows packages installed as a user installs them, in the Wine prefix
# of run.sh (which sources this file and provides wine, wineserver, LOG,
# WORK, WINEPREFIX, BUILD_DIR and WINE_ARCH). Each check prints why it
# failed and returns non-zero, or prints nothing.

# The test's own folder in the prefix: C:\tarnivo-setup (Unix: $PKG).
PKG="$WINEPREFIX/drive_c/tarnivo-setup"

# run_cmd NAME: runs the batch file $PKG/NAME.cmd (written before) in cmd.
run_cmd() { wine cmd /c "C:\\tarnivo-setup\\$1.cmd" 2>>"$LOG" | tr -d '\r'; }

# Where the setup installs, in Windows and Unix form; another program's
# traces planted first, which the setup must leave as they are.
setup_prepare() {
  mkdir -p "$PKG"
  cat >"$PKG/plant.cmd" <<'EOF'
@echo off
reg add "HKCU\Software\Classes\*\shell\OtherTool" /ve /d "Other Tool..." /f >nul
reg add "HKCU\Software\Classes\*\shell\OtherTool\command" /ve /d "\"C:\Other Tool\other.exe\" \"%%1\"" /f >nul
reg add "HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\OtherTool" /v DisplayName /d "Other Tool" /f >nul
echo %LOCALAPPDATA%
echo %APPDATA%\Microsoft\Windows\SendTo
EOF
  local dirs
  mapfile -t dirs < <(run_cmd plant)
  LOCAL_W="${dirs[0]:-}"
  INSTDIR_W="$LOCAL_W\\Programs\\Tarnivo"
  [ -n "$LOCAL_W" ] && [ -n "${dirs[1]:-}" ] || { echo "cmd gives no %LOCALAPPDATA% or %APPDATA%"; return 1; }
  LOCAL_U="$(wine winepath -u "$LOCAL_W" 2>>"$LOG")"
  SENDTO_U="$(wine winepath -u "${dirs[1]}" 2>>"$LOG")"
  mkdir -p "$LOCAL_U/Programs/Other Tool" "$SENDTO_U" &&
    echo other >"$LOCAL_U/Programs/Other Tool/other.txt" &&
    echo link >"$SENDTO_U/Other Tool.lnk" || { echo "cannot plant another program's files"; return 1; }
  VERSION_TEXT="$(sed -n 's/^#define TARNIVO_VERSION_TEXT "\(.*\)"$/\1/p' "$BUILD_DIR/generated/tarnivo_version.h")"
  SETUP="$BUILD_DIR/tarnivo-$VERSION_TEXT-$WINE_ARCH-setup.exe"
  [ -f "$SETUP" ] || { echo "no setup $SETUP"; return 1; }
  setup_snapshot before
}

# setup_snapshot NAME: what the setup must leave as it was, into $PKG/NAME.*:
# the verbs on every file, the uninstall entries, the Programs and Send To
# folders.
setup_snapshot() {
  cat >"$PKG/snapshot.cmd" <<EOF
@echo off
reg export "HKCU\\Software\\Classes\\*\\shell" C:\\tarnivo-setup\\$1.verbs.reg /y >nul
reg export "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" C:\\tarnivo-setup\\$1.uninstall.reg /y >nul
EOF
  run_cmd snapshot >/dev/null
  (cd "$LOCAL_U" && find Programs | sort; cd "$SENDTO_U" && find . | sort) >"$PKG/$1.files"
}

# The values the setup registers, one "key|name|type|data" line each.
registered() {
  cat >"$PKG/query.cmd" <<'EOF'
@echo off
reg query "HKCU\Software\Classes\*\shell\Tarnivo" /s
reg query "HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnivo"
EOF
  run_cmd query | awk '
    /^HKEY_/ { key = $0; sub(/^HKEY_CURRENT_USER\\Software\\/, "", key); next }
    /^    / { sub(/^    /, ""); n = index($0, "    "); name = substr($0, 1, n - 1); rest = substr($0, n + 4)
             m = index(rest, "    "); print key "|" name "|" substr(rest, 1, m - 1) "|" substr(rest, m + 4) }'
}

# Everything a fresh install puts in place, with the values it should have.
setup_installed_check() {
  local exe="$LOCAL_U/Programs/Tarnivo/tarnivo.exe" values want missing=""
  cmp -s "$exe" "$BUILD_DIR/tarnivo.exe" || { echo "the installed tarnivo.exe is not this build's"; return 1; }
  for f in tarnivo-help.txt uninstall.exe; do
    [ -f "$LOCAL_U/Programs/Tarnivo/$f" ] || { echo "no $f installed"; return 1; }
  done
  [ -f "$SENDTO_U/Tarnivo.lnk" ] || { echo "no Send To shortcut"; return 1; }
  grep -aqi 'Tarnivo.tarnivo\.exe' <(tr -d '\0' <"$SENDTO_U/Tarnivo.lnk") ||
    { echo "the Send To shortcut does not lead to the program"; return 1; }
  values="$(registered)"
  local uninstall='Microsoft\Windows\CurrentVersion\Uninstall\Tarnivo'
  while IFS= read -r want; do
    grep -qxF "$want" <<<"$values" || missing+=" [$want]"
  done <<EOF
Classes\\*\\shell\\Tarnivo|(Default)|REG_SZ|Tarnivo...
Classes\\*\\shell\\Tarnivo|Icon|REG_SZ|"$INSTDIR_W\\tarnivo.exe",0
Classes\\*\\shell\\Tarnivo\\command|(Default)|REG_SZ|"$INSTDIR_W\\tarnivo.exe" "%1"
$uninstall|DisplayName|REG_SZ|Tarnivo
$uninstall|DisplayVersion|REG_SZ|$VERSION_TEXT
$uninstall|Publisher|REG_SZ|Tarnivo developers
$uninstall|DisplayIcon|REG_SZ|$INSTDIR_W\\tarnivo.exe,0
$uninstall|UninstallString|REG_SZ|"$INSTDIR_W\\uninstall.exe"
$uninstall|QuietUninstallString|REG_SZ|"$INSTDIR_W\\uninstall.exe" /S
EOF
  [ -z "$missing" ] || { echo "missing or wrong:$missing"; return 1; }
  # The estimated size in KiB: at least the program itself.
  local kib
  kib=$(grep -F "$uninstall|EstimatedSize|REG_DWORD|" <<<"$values" | sed 's/.*|//')
  [ -n "$kib" ] && [ $((kib)) -ge $(($(stat -c %s "$exe") / 1024)) ] || { echo "EstimatedSize is [$kib]"; return 1; }
}

setup_install_check() {
  setup_prepare || return 1
  wine "$SETUP" /S >>"$LOG" 2>&1 || { echo "the silent install fails"; return 1; }
  setup_installed_check
}

# An older install (another version, another exe) is replaced where it is,
# with one uninstall entry.
setup_upgrade_check() {
  local uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
  echo old >"$LOCAL_U/Programs/Tarnivo/tarnivo.exe"
  wine reg add "$uninstall\\Tarnivo" /v DisplayVersion /d 0.99.0001 /f >>"$LOG" 2>&1
  wine "$SETUP" /S >>"$LOG" 2>&1 || { echo "the second install fails"; return 1; }
  setup_installed_check || return 1
  local entries
  entries="$(wine reg query "$uninstall" 2>>"$LOG" | tr -d '\r' | grep -c '^HKEY.*\\Uninstall\\')"
  [ "$entries" -eq 2 ] || { echo "$entries uninstall entries, want Tarnivo's and the other program's"; return 1; }
}

# The registered quiet uninstall, run as Windows runs it; the uninstaller
# copies itself away and returns at once, so wait for the whole prefix.
setup_uninstall_check() {
  local quiet
  quiet="$(registered | grep -F 'Uninstall\Tarnivo|QuietUninstallString|' | sed 's/^[^|]*|[^|]*|[^|]*|//')"
  [ -n "$quiet" ] || { echo "no QuietUninstallString"; return 1; }
  printf '@echo off\r\n%s\r\n' "$quiet" >"$PKG/uninstall.cmd"
  run_cmd uninstall >>"$LOG" || { echo "the silent uninstall fails"; return 1; }
  wineserver -w
  [ ! -e "$LOCAL_U/Programs/Tarnivo" ] || { echo "the program's folder stays: $(ls "$LOCAL_U/Programs/Tarnivo")"; return 1; }
  [ -z "$(registered)" ] || { echo "keys stay: $(registered | grep -F Tarnivo | head -n 3)"; return 1; }
  setup_snapshot after
  local part
  for part in verbs.reg uninstall.reg files; do
    cmp -s "$PKG/before.$part" "$PKG/after.$part" && continue
    echo "the $part differ from before the install:"
    if [ "$part" = files ]; then
      diff "$PKG/before.$part" "$PKG/after.$part"
    else  # reg export writes UTF-16
      diff <(iconv -f UTF-16 -t UTF-8 "$PKG/before.$part") <(iconv -f UTF-16 -t UTF-8 "$PKG/after.$part") | tr -d '\r'
    fi
    return 1
  done
}

# The zip's install and uninstall scripts, run as a user would.
package_check() {
  local zip dir link
  zip="$(ls "$BUILD_DIR"/tarnivo-*-"$WINE_ARCH".zip 2>/dev/null | head -n 1)"
  [ -n "$zip" ] || { echo "no zip in $BUILD_DIR"; return 1; }
  dir="$WINEPREFIX/drive_c/Program Test"
  mkdir -p "$dir" && (cd "$dir" && cmake -E tar xf "$zip") || { echo "cannot unpack $zip"; return 1; }
  for f in tarnivo.exe tarnivo-help.txt install.cmd uninstall.cmd; do
    [ -f "$dir/Tarnivo/$f" ] || { echo "the zip lacks $f"; return 1; }
  done
  wine cmd /c 'C:\Program Test\Tarnivo\install.cmd' >>"$LOG" 2>&1 || { echo "install.cmd failed"; return 1; }
  wine reg query 'HKCU\Software\Classes\*\shell\Tarnivo\command' 2>>"$LOG" | tr -d '\r' |
    grep -qF '"C:\Program Test\Tarnivo\tarnivo.exe" "%1"' || { echo "no Explorer verb"; return 1; }
  link="$(find "$WINEPREFIX/drive_c/users" -ipath '*SendTo/Tarnivo.lnk' 2>/dev/null | head -n 1)"
  [ -n "$link" ] || { echo "no Send To shortcut"; return 1; }
  wine cmd /c 'C:\Program Test\Tarnivo\uninstall.cmd' >>"$LOG" 2>&1 || { echo "uninstall.cmd failed"; return 1; }
  if wine reg query 'HKCU\Software\Classes\*\shell\Tarnivo' >>"$LOG" 2>&1; then
    echo "the verb stays"
    return 1
  fi
  [ ! -e "$link" ] || { echo "the shortcut stays"; return 1; }
}
