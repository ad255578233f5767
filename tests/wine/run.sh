#!/usr/bin/env bash
# Runs the Windows program's end-to-end scenarios and platform checks under
# Wine: a fresh 32-bit Wine prefix, a second drive D: and a drive E: that is
# not ready, an Xvfb display of its own. Prints one line per test and a final
# "N passed, M failed"; exits non-zero on any failure.
#
# Usage: tests/wine/run.sh [name filter]
#   BUILD_DIR   where tarnivo.exe and tarnivo_wine_driver.exe are
#               (default build/win32; built with the win32 preset if missing)
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build/win32}"
FILTER="${1:-}"

for tool in wine wineboot wineserver Xvfb; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run tools/install-deps.sh --windows"; echo "0 passed, 1 failed"; exit 1; }
done

if [ ! -x "$BUILD_DIR/tarnivo.exe" ] || [ ! -x "$BUILD_DIR/tarnivo_wine_driver.exe" ]; then
  (cd "$ROOT" && cmake --preset win32 >/dev/null && cmake --build --preset win32 >/dev/null) || {
    echo "FAIL build: the win32 preset does not build"; echo "0 passed, 1 failed"; exit 1; }
fi

WORK="$(mktemp -d /tmp/tarnivo-wine.XXXXXX)"
export WINEPREFIX="$WORK/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
LOG="$WORK/wine.log"
XVFB_PID=""

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" >/dev/null 2>&1 && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# A display of our own: the first number with neither socket nor lock.
for n in $(seq 93 199); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; break; fi
  kill "$XVFB_PID" 2>/dev/null; XVFB_PID=""
done
if [ -z "${DISPLAY:-}" ] || [ -z "$XVFB_PID" ]; then
  echo "FAIL set-up: no Xvfb display"; echo "0 passed, 1 failed"; exit 1
fi

start=$(date +%s)
wineboot -i >>"$LOG" 2>&1
wineserver -w
# D: is a second drive; E: points at nothing, like a drive without a disk.
mkdir -p "$WORK/drive-d"
ln -sfn "$WORK/drive-d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$WORK/no-disk" "$WINEPREFIX/dosdevices/e:"
echo "# Wine prefix ready in $(( $(date +%s) - start )) s (display $DISPLAY)"

program="$(winepath -w "$BUILD_DIR/tarnivo.exe" 2>>"$LOG")"
status=0
output="$(TARNIVO_D_UNIX="$WORK/drive-d" timeout 270 wine "$BUILD_DIR/tarnivo_wine_driver.exe" "$program" $FILTER 2>>"$LOG")" || status=$?
# The zip's install and uninstall scripts, run as a user would.
package_check() {
  local zip dir link
  zip="$(ls "$BUILD_DIR"/tarnivo-*-win32.zip 2>/dev/null | head -n 1)"
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
  if wine reg query 'HKCU\Software\Classes\*\shell\Tarnivo' >>"$LOG" 2>&1; then echo "the verb stays"; return 1; fi
  [ ! -e "$link" ] || { echo "the shortcut stays"; return 1; }
}
if [ -z "$FILTER" ] || [[ "package: install and uninstall scripts" == *"$FILTER"* ]]; then
  if why="$(package_check)"; then
    output+=$'\n'"PASS package: install and uninstall scripts"
  else
    output+=$'\n'"FAIL package: install and uninstall scripts: $why"
  fi
fi
printf '%s\n' "$output" | tr -d '\r' | grep -E '^(PASS|FAIL) '

passed=$(printf '%s\n' "$output" | grep -c '^PASS ')
failed=$(printf '%s\n' "$output" | grep -c '^FAIL ')
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
  echo "FAIL driver: exited with status $status"
  failed=1
fi
if [ "$failed" -gt 0 ]; then
  echo "# last lines of the Wine log:"
  grep -v 'Read access denied for device' "$LOG" | tail -n 20 | sed 's/^/#   /'
fi
echo "# took $(( $(date +%s) - start )) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
