#!/usr/bin/env bash
# Runs the Windows program's end-to-end scenarios and platform checks, and
# installs its setup and zip as a user does, under Wine: a fresh Wine prefix,
# a second drive D: and a drive E: that is not ready, an Xvfb display of its
# own. Prints which build it tests and why, one
# line per test and a final "N passed, M failed"; exits non-zero on any
# failure, a set-up that fails included.
#
# Usage: tests/wine/run.sh [name filter]
#        tests/wine/run.sh --can-run win32|win64
#            exits 0 when this machine can run that build under Wine, and
#            prints why or why not in one line either way
#   WINE_ARCH   win32 or win64: the build to test, in a prefix of that kind.
#               Default: win32 where the 32-bit Wine loader executes (the
#               kernel runs 32-bit x86 programs), else win64.
#   BUILD_DIR   where tarnivo.exe, tarnivo_wine_driver.exe, the zip and the setup are
#               (default build/$WINE_ARCH; built with that preset if missing)
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
WINE_LIB=/usr/lib/wine

# can_run ARCH: does the Wine loader for ARCH execute here? Sets WHY either way.
can_run() {
  local loader="$WINE_LIB/wine" out
  [ "$1" = win64 ] && loader="$WINE_LIB/wine64"
  if [ ! -e "$loader" ]; then
    WHY="$loader is not installed (run tools/install-deps.sh --windows)"
    return 1
  fi
  if out="$("$loader" --version 2>&1)"; then
    WHY="$loader runs ($out)"
    return 0
  fi
  WHY="$loader does not run here: ${out##*: }"
  [[ "$out" == *"Exec format error"* ]] && WHY+=" (the kernel cannot execute 32-bit x86 programs)"
  return 1
}

if [ "${1:-}" = --can-run ]; then
  case "${2:-}" in win32 | win64) ;; *) echo "usage: $0 --can-run win32|win64"; exit 2 ;; esac
  can_run "$2"
  status=$?
  echo "$WHY"
  exit $status
fi

FILTER="${1:-}"
setup_failed() { echo "FAIL set-up: $*"; echo "0 passed, 1 failed"; exit 1; }

if [ -n "${WINE_ARCH:-}" ]; then
  case "$WINE_ARCH" in win32 | win64) ;; *) setup_failed "WINE_ARCH must be win32 or win64, not $WINE_ARCH" ;; esac
  can_run "$WINE_ARCH" || setup_failed "WINE_ARCH=$WINE_ARCH, but $WHY"
  echo "# Wine suite: $WINE_ARCH, as WINE_ARCH asks; $WHY"
elif can_run win32; then
  WINE_ARCH=win32
  echo "# Wine suite: win32, the primary Windows build; $WHY"
else
  why32="$WHY"
  can_run win64 || setup_failed "neither Wine loader runs: $why32; $WHY"
  WINE_ARCH=win64
  echo "# Wine suite: win64, since $why32"
fi

# Every Wine program goes through the loader of the chosen kind: Debian's
# wine, wineboot and winepath always start the 32-bit one where it exists.
LOADER="$WINE_LIB/wine"
[ "$WINE_ARCH" = win64 ] && LOADER="$WINE_LIB/wine64"
export WINELOADER="$LOADER"
wine() { "$LOADER" "$@"; }
WINESERVER="$WINE_LIB/wineserver"
wineserver() { "$WINESERVER" "$@"; }

command -v Xvfb >/dev/null || setup_failed "missing Xvfb: run tools/install-deps.sh"

BUILD_DIR="${BUILD_DIR:-$ROOT/build/$WINE_ARCH}"
if [ ! -x "$BUILD_DIR/tarnivo.exe" ] || [ ! -x "$BUILD_DIR/tarnivo_wine_driver.exe" ] ||
  ! ls "$BUILD_DIR"/tarnivo-*-"$WINE_ARCH"-setup.exe >/dev/null 2>&1; then
  (cd "$ROOT" && cmake --preset "$WINE_ARCH" >/dev/null && cmake --build --preset "$WINE_ARCH" >/dev/null) ||
    setup_failed "the $WINE_ARCH preset does not build"
fi

WORK="$(mktemp -d /tmp/tarnivo-wine.XXXXXX)"
export WINEPREFIX="$WORK/prefix"
export WINEARCH="$WINE_ARCH"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
LOG="$WORK/wine.log"
XVFB_PID=""
OTHER_VOLUME=""

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" >/dev/null 2>&1
    wait "$XVFB_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
  [ -z "$OTHER_VOLUME" ] || rm -rf "$OTHER_VOLUME"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to fd 3.
# -noreset: the server must not restart each time its last client leaves.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 1 300); do
  [ -s "$WORK/display" ] && break
  kill -0 "$XVFB_PID" 2>/dev/null || break
  sleep 0.1
done
[ -s "$WORK/display" ] || setup_failed "Xvfb gives no display: $(tail -n 3 "$WORK/xvfb.log")"
export DISPLAY=":$(tr -d '\n' <"$WORK/display")"

start=$(date +%s)
wine wineboot -i >>"$LOG" 2>&1 || setup_failed "wineboot -i fails: $(tail -n 3 "$LOG")"
wineserver -w
[ -d "$WINEPREFIX/drive_c/windows" ] || setup_failed "wineboot made no prefix"
# D: is a second drive; E: points at nothing, like a drive without a disk.
mkdir -p "$WORK/drive-d"
ln -sfn "$WORK/drive-d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$WORK/no-disk" "$WINEPREFIX/dosdevices/e:"
# A folder of D: on another volume (a tmpfs), where a move within D: has to copy.
if OTHER_VOLUME="$(mktemp -d /dev/shm/tarnivo-wine.XXXXXX 2>/dev/null)" &&
  [ "$(stat -c %d "$OTHER_VOLUME")" != "$(stat -c %d "$WORK/drive-d")" ]; then
  ln -s "$OTHER_VOLUME" "$WORK/drive-d/other volume"
  export TARNIVO_OTHER_VOLUME='D:\other volume\moves'
else
  echo "# not run: the moves across volumes within D:, since /dev/shm is no other volume here"
fi
echo "# Wine prefix ready in $(($(date +%s) - start)) s (display $DISPLAY)"

source "$ROOT/tests/wine/packages.sh"
output=""
# wanted NAME: does the name filter take the test NAME?
wanted() { [ -z "$FILTER" ] || [[ "$1" == *"$FILTER"* ]]; }
# step NAME CHECK: runs the shell check CHECK as the test NAME.
# Not in a subshell: what a check learns (paths, the setup) stays for the next.
step() {
  wanted "$1" || return 0
  if "$2" >"$WORK/why"; then
    output+=$'\n'"PASS $1"
  else
    output+=$'\n'"FAIL $1: $(tr '\n' ' ' <"$WORK/why")"
  fi
}
# The setup is installed first and the driver runs its verb among the other
# tests; then it is installed again and uninstalled. A filter that takes any
# of these tests runs all of them.
SETUP_TESTS=("setup: silent install puts the program, keys and shortcut in place"
  "setup: the registered verb opens the dialog, a copy through it works"
  "setup: installing again replaces an older install in place"
  "setup: silent uninstall removes what it added and nothing else")
with_setup=0
for name in "${SETUP_TESTS[@]}"; do wanted "$name" && with_setup=1; done
[ "$with_setup" -eq 1 ] && FILTER="" step "${SETUP_TESTS[0]}" setup_install_check

program="$(wine winepath -w "$BUILD_DIR/tarnivo.exe" 2>>"$LOG")"
status=0
driver_output="$(TARNIVO_D_UNIX="$WORK/drive-d" timeout 600 "$LOADER" "$BUILD_DIR/tarnivo_wine_driver.exe" \
  "$program" "$FILTER" 2>>"$LOG")" || status=$?
output+=$'\n'"$driver_output"

if [ "$with_setup" -eq 1 ]; then
  FILTER="" step "${SETUP_TESTS[2]}" setup_upgrade_check
  FILTER="" step "${SETUP_TESTS[3]}" setup_uninstall_check
fi
# After the setup's uninstall: the zip's scripts register the same verb.
step "package: install and uninstall scripts" package_check
printf '%s\n' "$output" | tr -d '\r' | grep -E '^(PASS|FAIL) '

passed=$(printf '%s\n' "$output" | grep -c '^PASS ')
failed=$(printf '%s\n' "$output" | grep -c '^FAIL ')
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
  echo "FAIL driver: exited with status $status"
  failed=1
fi
if [ -z "$FILTER" ] && ! grep -qE '^(PASS|FAIL) ' <<<"$driver_output"; then
  echo "FAIL driver: ran no tests"
  failed=1
fi
if [ "$failed" -gt 0 ]; then
  echo "# last lines of the Wine log:"
  grep -v 'Read access denied for device' "$LOG" | tail -n 20 | sed 's/^/#   /'
fi
echo "# $WINE_ARCH suite took $(($(date +%s) - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
