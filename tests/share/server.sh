# A real SMB share for the tests: a private smbd on 127.0.0.1 and a free
# port, a private session bus, the GVfs daemons and their FUSE folder, the
# shares mounted with gio as the desktop's file manager mounts them. Sourced
# after tests/e2e/lib.sh; every daemon is stopped by its pid.
#
#   share_start DIR RUNTIME
#                       starts everything below DIR (a fresh folder), with
#                       RUNTIME as XDG_RUNTIME_DIR (the FUSE folder is its gvfs);
#                       SHARE_ROOT, SPACED_ROOT: the shares' own folders
#                       SHARE_MOUNT, SPACED_MOUNT: their FUSE folders
#   share_stop          unmounts and stops everything that was started

SHARE_PIDS=()
SHARE_PORT=

share_log() { echo "-- share: $*"; }

free_port() {
  python3 - <<'PY'
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
PY
}

# A pid that has ended (a zombie counts as ended).
pid_alive() {
  [ -r "/proc/$1/stat" ] || return 1
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

stop_pid() {
  local pid=$1 deadline
  pid_alive "$pid" || return 0
  kill -TERM "$pid" 2>/dev/null
  deadline=$((SECONDS + 10))
  while pid_alive "$pid" && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.05; done
  pid_alive "$pid" && kill -KILL "$pid" 2>/dev/null
  return 0
}

share_mounted() { grep -q " $SHARE_FUSE fuse" /proc/self/mounts 2>/dev/null; }

mount_appeared() { [ -d "$1" ] && ls "$1" >/dev/null 2>&1; }

share_start() {
  local dir=$1 tool
  RUNTIME_DIR=$2
  for tool in smbd gio dbus-daemon /usr/libexec/gvfsd /usr/libexec/gvfsd-fuse /usr/libexec/gvfsd-smb python3; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run tools/install-deps.sh"
  done
  [ -e /dev/fuse ] || fail "/dev/fuse is missing: the GVfs FUSE folder cannot be mounted"
  SHARE_DIR=$dir
  SHARE_ROOT="$dir/srv/share"
  SPACED_ROOT="$dir/srv/team docs"
  mkdir -p "$SHARE_ROOT" "$SPACED_ROOT" "$dir/samba/state" "$dir/samba/cache" "$dir/samba/private" \
    "$dir/samba/lock" "$dir/samba/pid" "$dir/samba/ncalrpc"
  chmod 0777 "$SHARE_ROOT" "$SPACED_ROOT"
  SHARE_PORT=$(free_port)
  cat >"$dir/samba/smb.conf" <<CONF
[global]
  interfaces = 127.0.0.1
  bind interfaces only = yes
  smb ports = $SHARE_PORT
  disable netbios = yes
  server role = standalone server
  map to guest = Bad User
  state directory = $dir/samba/state
  cache directory = $dir/samba/cache
  private dir = $dir/samba/private
  lock directory = $dir/samba/lock
  pid directory = $dir/samba/pid
  ncalrpc dir = $dir/samba/ncalrpc
  log file = $dir/samba/log.%m
  log level = 1
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
  server min protocol = SMB2
[share]
  path = $SHARE_ROOT
  guest ok = yes
  guest only = yes
  force user = root
  read only = no
[team docs]
  path = $SPACED_ROOT
  guest ok = yes
  guest only = yes
  force user = root
  read only = no
CONF
  # Not --no-process-group: smbd would signal this script's process group
  # when it ends.
  smbd --foreground --debug-stdout --configfile="$dir/samba/smb.conf" >"$dir/samba/smbd.out" 2>&1 &
  SHARE_PIDS+=($!)
  local smbd_pid=$!
  wait_until "smbd on port $SHARE_PORT" smbd_listening "$smbd_pid"

  # The desktop session's part: a private runtime folder and session bus.
  export XDG_RUNTIME_DIR="$RUNTIME_DIR"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 0700 "$XDG_RUNTIME_DIR"
  local bus
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile) ||
    fail "the session bus did not start"
  export DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)
  SHARE_PIDS+=("$(echo "$bus" | sed -n 2p)")
  # No volume monitors or other desktop services: only the mounts asked for.
  export GVFS_DISABLE_FUSE=1 GIO_USE_VOLUME_MONITOR=unix
  /usr/libexec/gvfsd --no-fuse >"$dir/gvfsd.log" 2>&1 &
  SHARE_PIDS+=($!)
  SHARE_FUSE="$XDG_RUNTIME_DIR/gvfs"
  mkdir -p "$SHARE_FUSE"
  /usr/libexec/gvfsd-fuse "$SHARE_FUSE" -f >"$dir/gvfsd-fuse.log" 2>&1 &
  SHARE_PIDS+=($!)
  unset GVFS_DISABLE_FUSE
  wait_until "the GVfs FUSE folder" share_mounted

  SHARE_MOUNT="$SHARE_FUSE/smb-share:port=$SHARE_PORT,server=127.0.0.1,share=share"
  share_mount "smb://127.0.0.1:$SHARE_PORT/share" "$SHARE_MOUNT"
  SPACED_MOUNT=
  share_mount "smb://127.0.0.1:$SHARE_PORT/team%20docs" ""
  local m
  for m in "$SHARE_FUSE"/smb-share:*; do
    case "$m" in *share=team*) SPACED_MOUNT=$m ;; esac
  done
  [ -n "$SPACED_MOUNT" ] || fail "the share 'team docs' is not in $SHARE_FUSE: $(ls "$SHARE_FUSE")"
  share_log "port $SHARE_PORT; $(ls "$SHARE_FUSE" | tr '\n' ' ')"
}

smbd_listening() {
  pid_alive "$1" || fail "smbd ended: $(tail -5 "$SHARE_DIR/samba/smbd.out")"
  python3 - "$SHARE_PORT" <<'PY' 2>/dev/null
import socket, sys
socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=1).close()
PY
}

# share_mount URL FOLDER: mounts URL with gio (-a: anonymous, no prompt) and
# waits until FOLDER (or, when empty, any new share) is in the FUSE folder.
share_mount() {
  local before
  before=$(ls "$SHARE_FUSE" | wc -l)
  gio mount -a "$1" </dev/null >"$SHARE_DIR/gio-mount.log" 2>&1 ||
    fail "gio mount -a $1: $(cat "$SHARE_DIR/gio-mount.log")"
  if [ -n "$2" ]; then
    wait_until "the mount of $1 in $SHARE_FUSE" mount_appeared "$2"
  else
    wait_until "the mount of $1 in $SHARE_FUSE" test "$(ls "$SHARE_FUSE" | wc -l)" -gt "$before"
  fi
}

# Unmounts the share at SMB URL $1 while programs may still use it.
share_unmount() {
  gio mount -u "$1" </dev/null >>"$SHARE_DIR/gio-mount.log" 2>&1 || fail "gio mount -u $1"
}

share_stop() {
  set +e
  local i
  [ -n "${SHARE_PORT:-}" ] && [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] &&
    timeout 10 gio mount -u "smb://127.0.0.1:$SHARE_PORT/share" "smb://127.0.0.1:$SHARE_PORT/team%20docs" \
      </dev/null >/dev/null 2>&1
  # Last started, first stopped: gvfsd-fuse unmounts its folder as it ends.
  for ((i = ${#SHARE_PIDS[@]} - 1; i >= 0; i--)); do stop_pid "${SHARE_PIDS[$i]}"; done
  if [ -n "${SHARE_FUSE:-}" ] && share_mounted; then
    fusermount3 -u -z "$SHARE_FUSE" 2>/dev/null || umount -l "$SHARE_FUSE" 2>/dev/null
  fi
  SHARE_PIDS=()
  return 0
}
