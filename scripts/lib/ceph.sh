# A throwaway single-node Ceph cluster with its S3 gateway, for the tests and
# the bench. Sourced, not run.
#   ceph_start DIR [memstore|bluestore [GiB]]
#   ceph_stop DIR
# Everything lives under DIR: configuration, keyrings, daemon data, logs,
# PIDs. Nothing is read from or written to /etc/ceph or /var/lib/ceph, no
# systemd: the monitor, one OSD and the gateway run in the foreground (-f) in
# the background of the shell, on free loopback ports. When the gateway
# answers, DIR/s3.env holds what an S3 client needs (KEY=VALUE lines):
# AWS_ENDPOINT_URL, AWS_ACCESS_KEY_ID, AWS_SECRET_ACCESS_KEY, AWS_REGION.
#
# The cluster also stops, within a second, once the process CEPH_OWNER_PID
# (default: the shell that called ceph_start) has ended, so that an
# interrupted run leaves no daemons behind.
#
# memstore (the default) keeps objects in the OSD's memory, about twice their
# size: fastest to start, for the tests' small objects. bluestore writes to a
# sparse file of GiB (default 8) beside the OSD's folder, for the bench's
# gigabytes.

CEPH_PACKAGES=(ceph-mon ceph-osd radosgw ceph-common python3-boto3 curl)

# The client side used against the cluster: Debian's interpreter with
# Debian's boto3, whatever else is first on PATH.
CEPH_PYTHON=/usr/bin/python3

# How long one daemon may take to stop after SIGTERM, and the whole start to
# its first S3 answer, in tenths of a second.
CEPH_STOP_TENTHS=${CEPH_STOP_TENTHS:-100}
CEPH_START_TENTHS=${CEPH_START_TENTHS:-900}

# The pools the gateway would otherwise create one by one as it first needs
# them, each a round through the monitor.
CEPH_RGW_POOLS=(.rgw.root default.rgw.control default.rgw.meta default.rgw.log
  default.rgw.buckets.index default.rgw.buckets.data default.rgw.buckets.non-ec)

ceph_say() { printf 'ceph: %s\n' "$*" >&2; }

# Loopback ports free right now, one a line. The kernel picks them; the few
# milliseconds until the daemons bind them are a race we accept.
ceph_free_ports() {
  "$CEPH_PYTHON" - "$1" <<'EOF'
import socket, sys
held = []
for _ in range(int(sys.argv[1])):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    held.append(s)
for s in held:
    print(s.getsockname()[1])
EOF
}

# Runs a ceph tool against this cluster's configuration only. No manager
# runs, so a command that needs one would wait forever: every call is bounded.
ceph_tool() {
  local dir=$1 tool=$2; shift 2
  timeout 60 "$tool" --conf "$dir/ceph.conf" "$@"
}

ceph_write_conf() {
  local dir=$1 store=$2 gib=$3 mon_port=$4 rgw_port=$5 fsid=$6
  local store_conf
  if [ "$store" = memstore ]; then
    store_conf="osd objectstore = memstore
memstore device bytes = $((gib * 1024 * 1024 * 1024))"
  else
    # The block file must lie outside the OSD's folder: mkfs links it there.
    store_conf="osd objectstore = bluestore
bluestore block path = $dir/osd-block
bluestore block create = true
bluestore block size = $((gib * 1024 * 1024 * 1024))
osd memory target = 939524096"   # the least it takes: 896 MiB, not 4 GiB
  fi
  cat >"$dir/ceph.conf" <<EOF
[global]
fsid = $fsid
mon host = [v2:127.0.0.1:$mon_port]
public addr = 127.0.0.1
ms bind msgr1 = false
keyring = $dir/keyring/\$name
run dir = $dir/run
admin socket = $dir/run/\$name.asok
log file = $dir/log/\$name.log
mon cluster log file = $dir/log/cluster.log
crash dir = $dir/crash
exporter sock dir = $dir/run
osd pool default size = 1
osd pool default min size = 1
osd pool default pg num = 8
osd pool default pgp num = 8
osd pool default pg autoscale mode = off
osd crush chooseleaf type = 0
mon allow pool size one = true
mon warn on pool no redundancy = false
mon data avail warn = 2
mon data avail crit = 1
paxos propose interval = 0.05

[mon.a]
mon data = $dir/mon

[osd.0]
osd data = $dir/osd
$store_conf

# A client whose first request finds no OSD up asks for a newer map only at
# its next tick: every 5 s by default, the gateway's start then waits for it.
[client]
objecter tick interval = 0.2

[client.rgw.a]
rgw data = $dir/rgw
rgw frontends = beast endpoint=127.0.0.1:$rgw_port
rgw enable usage log = false
# The lifecycle workers sleep 5 s at a time and hold up the gateway's stop;
# nothing here expires objects by rules.
rgw enable lc threads = false
EOF
}

# Keys of the monitor, the admin, the OSD and the gateway; the monitor's
# keyring holds them all so that its mkfs registers them with their rights.
ceph_make_keys() {
  local k=$1/keyring
  mkdir -p "$k" && chmod 700 "$k" || return 1
  ceph_make_key_files "$k" >/dev/null
}

ceph_make_key_files() {
  local k=$1
  ceph-authtool --create-keyring "$k/mon.a" --gen-key -n mon. --cap mon 'allow *' &&
  ceph-authtool --create-keyring "$k/client.admin" --gen-key -n client.admin \
    --cap mon 'allow *' --cap osd 'allow *' --cap mgr 'allow *' &&
  ceph-authtool --create-keyring "$k/osd.0" --gen-key -n osd.0 \
    --cap mon 'allow profile osd' --cap osd 'allow *' --cap mgr 'allow profile osd' &&
  ceph-authtool --create-keyring "$k/client.rgw.a" --gen-key -n client.rgw.a \
    --cap mon 'allow rw' --cap osd 'allow rwx' &&
  local name
  for name in client.admin osd.0 client.rgw.a; do
    ceph-authtool "$k/mon.a" --import-keyring "$k/$name" || return 1
  done
}

# Starts one daemon in the foreground of a background process, its output in
# its log folder, its PID in DIR/pid/NAME.
ceph_daemon() {
  local dir=$1 name=$2; shift 2
  "$@" --conf "$dir/ceph.conf" -f </dev/null >>"$dir/log/$name.out" 2>&1 &
  echo $! >"$dir/pid/$name"
}

# Is the daemon NAME of this cluster still running? The PID alone could have
# been reused since: its command line must name this cluster's configuration.
ceph_daemon_alive() {
  local dir=$1 name=$2 pid
  pid=$(cat "$dir/pid/$name" 2>/dev/null) || return 1
  [ -n "$pid" ] && tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -qF -- "$dir/ceph.conf"
}

ceph_daemon_failed() {
  ceph_say "$1 stopped while the cluster started; the end of its log:"
  tail -n 15 "$2/log/$1.log" "$2/log/$1.out" >&2 2>/dev/null
}

# Polls the gateway's port until it answers HTTP (any status), bounded; gives
# up early when a daemon has died.
ceph_wait_for_s3() {
  local dir=$1 url=$2 i name
  for ((i = 0; i < CEPH_START_TENTHS; i++)); do
    curl -s -o /dev/null --max-time 2 "$url" && return 0
    for name in mon.a osd.0 client.rgw.a; do
      ceph_daemon_alive "$dir" "$name" || { ceph_daemon_failed "$name" "$dir"; return 1; }
    done
    sleep 0.1
  done
  ceph_say "the S3 gateway did not answer at $url within $((CEPH_START_TENTHS / 10)) s"
  return 1
}

# The S3 user of the tests; the gateway makes its keys, so that no secret
# passes on a command line, and they go straight into the settings file.
ceph_make_s3_user() {
  local dir=$1 url=$2
  (umask 077
   ceph_tool "$dir" radosgw-admin -n client.admin user create --uid=tests --display-name=tests \
     2>>"$dir/log/radosgw-admin.out" | "$CEPH_PYTHON" -c '
import json, sys
key = json.load(sys.stdin)["keys"][0]
print("AWS_ENDPOINT_URL=" + sys.argv[1])
print("AWS_ACCESS_KEY_ID=" + key["access_key"])
print("AWS_SECRET_ACCESS_KEY=" + key["secret_key"])
print("AWS_REGION=us-east-1")' "$url" >"$dir/s3.env.new" 2>>"$dir/log/radosgw-admin.out"
  ) && mv "$dir/s3.env.new" "$dir/s3.env" && return 0
  rm -f "$dir/s3.env.new"
  ceph_say "radosgw-admin user create failed (log: $dir/log/radosgw-admin.out)"
  return 1
}

ceph_start_steps() {
  local dir=$1 store=$2 gib=$3 ports mon_port rgw_port fsid osd_uuid
  ports=$(ceph_free_ports 2) || return 1
  { read -r mon_port; read -r rgw_port; } <<<"$ports"
  fsid=$(cat /proc/sys/kernel/random/uuid) osd_uuid=$(cat /proc/sys/kernel/random/uuid)
  mkdir -p "$dir"/{mon,osd,rgw,run,log,crash,pid} || return 1
  ceph_write_conf "$dir" "$store" "$gib" "$mon_port" "$rgw_port" "$fsid"
  ceph_make_keys "$dir" || { ceph_say "ceph-authtool failed"; return 1; }
  monmaptool --create --fsid "$fsid" --addv a "[v2:127.0.0.1:$mon_port]" "$dir/monmap" >/dev/null &&
  ceph-mon --conf "$dir/ceph.conf" --mkfs -i a --monmap "$dir/monmap" --keyring "$dir/keyring/mon.a" \
    >>"$dir/log/mkfs.out" 2>&1 || { ceph_say "ceph-mon --mkfs failed (log: $dir/log/mkfs.out)"; return 1; }
  ceph_daemon "$dir" mon.a ceph-mon -i a
  # The OSD's mkfs needs no monitor: it runs while the monitor starts.
  ceph-osd --conf "$dir/ceph.conf" --no-mon-config -i 0 --mkfs --osd-uuid "$osd_uuid" \
    >>"$dir/log/mkfs.out" 2>&1 &
  local mkfs=$!
  # One session for the OSD's id and every pool: each command is one paxos
  # round, but the connection and authentication are paid once. The pools
  # are not tagged for rgw: untagged, the cluster only warns.
  {
    echo "osd new $osd_uuid 0"
    local pool
    for pool in "${CEPH_RGW_POOLS[@]}"; do
      echo "osd pool create $pool 8 8"
    done
  } | ceph_tool "$dir" ceph -n client.admin --connect-timeout 30 >>"$dir/log/ceph.out" 2>&1 \
    || { ceph_say "setting up the OSD and pools failed (log: $dir/log/ceph.out)"; return 1; }
  wait "$mkfs" || { ceph_say "ceph-osd --mkfs failed (log: $dir/log/mkfs.out)"; return 1; }
  ceph_daemon "$dir" osd.0 ceph-osd -i 0
  ceph_daemon "$dir" client.rgw.a radosgw -n client.rgw.a
  ceph_wait_for_s3 "$dir" "http://127.0.0.1:$rgw_port" || return 1
  ceph_make_s3_user "$dir" "http://127.0.0.1:$rgw_port"
}

# Stops the cluster when its owner has ended; ends by itself when the cluster
# was stopped otherwise. Holds none of the caller's output open.
ceph_watch_owner() {
  local dir=$1 owner=$2
  (
    exec </dev/null >/dev/null 2>&1
    while kill -0 "$owner" 2>/dev/null && [ -f "$dir/watcher" ]; do sleep 1; done
    rm "$dir/watcher" 2>/dev/null && ceph_stop "$dir"
  ) &
  echo $! >"$dir/watcher"
}

# Starts a fresh cluster under DIR (what an earlier run left there is stopped
# and removed). On failure nothing keeps running, and the status is 1.
ceph_start() {
  local dir=$1 store=${2:-memstore} gib=${3:-}
  case "$store" in
    memstore) gib=${gib:-1} ;;
    bluestore) gib=${gib:-8} ;;
    *) ceph_say "unknown object store: $store (memstore or bluestore)"; return 2 ;;
  esac
  local tool
  for tool in ceph-mon ceph-osd radosgw radosgw-admin ceph ceph-authtool monmaptool curl "$CEPH_PYTHON"; do
    command -v "$tool" >/dev/null || { ceph_say "$tool is missing; install ${CEPH_PACKAGES[*]}"; return 1; }
  done
  mkdir -p "$dir" && dir=$(cd "$dir" && pwd) || return 1
  # Only a folder of its own is emptied: one this file made, or an empty one.
  if [ ! -f "$dir/ceph.conf" ] && [ -n "$(ls -A "$dir")" ]; then
    ceph_say "$dir holds other files; a cluster needs a folder of its own"
    return 2
  fi
  ceph_stop "$dir"
  rm -rf "${dir:?}"/* "$dir/osd-block"
  touch "$dir/watcher" && ceph_watch_owner "$dir" "${CEPH_OWNER_PID:-$$}"
  ceph_start_steps "$dir" "$store" "$gib" && return 0
  ceph_stop "$dir"
  return 1
}

# Stops one daemon by its PID: SIGTERM, then SIGKILL when it has not ended in
# time.
ceph_stop_daemon() {
  local dir=$1 name=$2 pid i
  ceph_daemon_alive "$dir" "$name" || { rm -f "$dir/pid/$name"; return 0; }
  pid=$(cat "$dir/pid/$name")
  kill -TERM "$pid" 2>/dev/null
  for ((i = 0; i < CEPH_STOP_TENTHS; i++)); do
    ceph_daemon_alive "$dir" "$name" || break
    sleep 0.1
  done
  if ceph_daemon_alive "$dir" "$name"; then
    ceph_say "$name did not stop in $((CEPH_STOP_TENTHS / 10)) s: killed"
    kill -KILL "$pid" 2>/dev/null
  fi
  rm -f "$dir/pid/$name"
}

# Stops the gateway, then the OSD, then the monitor (stopped together, the
# gateway waits on the others and hangs for seconds). Safe to call again, and
# on a folder where nothing ever started.
ceph_stop() {
  local dir=$1 name watcher
  [ -d "$dir" ] || return 0
  dir=$(cd "$dir" && pwd)
  watcher=$(cat "$dir/watcher" 2>/dev/null) && rm -f "$dir/watcher" && kill "$watcher" 2>/dev/null
  for name in client.rgw.a osd.0 mon.a; do
    ceph_stop_daemon "$dir" "$name"
  done
}
