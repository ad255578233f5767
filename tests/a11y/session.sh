#!/usr/bin/env bash
# Runs COMMAND in a private D-Bus session with its own accessibility bus, as
# a desktop session has them, so that AT-SPI clients (tree.py, Orca) see the
# programs started inside it. Every daemon it starts is stopped by its pid.
#
#   tests/a11y/session.sh COMMAND [ARG...]
#
# Needs dbus-daemon and at-spi2-core (tools/install-deps.sh installs them).
set -euo pipefail
launcher=/usr/libexec/at-spi-bus-launcher
command -v dbus-daemon >/dev/null || { echo "session.sh: dbus-daemon is missing" >&2; exit 2; }
[ -x "$launcher" ] || { echo "session.sh: $launcher is missing (at-spi2-core)" >&2; exit 2; }

runtime=$(mktemp -d "${TMPDIR:-/tmp}/tarnivo-a11y.XXXXXX")
chmod 700 "$runtime"
bus_pid=""
launcher_pid=""
stop() {
  [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  rm -rf "$runtime"
}
trap stop EXIT
read -r address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d' ')
export DBUS_SESSION_BUS_ADDRESS=$address XDG_RUNTIME_DIR=$runtime
unset NO_AT_BRIDGE GTK_A11Y
"$launcher" --launch-immediately >/dev/null 2>&1 &
launcher_pid=$!
"$@"
