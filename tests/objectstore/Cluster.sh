#!/usr/bin/env bash
# The object store's fixture: Cluster.sh start|stop DIR starts or stops the
# throwaway Ceph cluster under DIR (scripts/lib/ceph.sh). Started by CTest,
# the cluster lives until the stop, or until CTest itself has ended.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/ceph.sh"
[ $# = 2 ] || { echo "usage: Cluster.sh start|stop DIR" >&2; exit 2; }
dir=$2
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
t0=$(now_ms)
case "$1" in
  start)
    trap 'ceph_stop "$dir"; exit 1' INT TERM
    CEPH_OWNER_PID=$PPID ceph_start "$dir" || exit 1
    echo "cluster up in $(( $(now_ms) - t0 )) ms: $(grep '^AWS_ENDPOINT_URL=' "$dir/s3.env"), settings in $dir/s3.env" ;;
  stop)
    ceph_stop "$dir"
    echo "cluster stopped in $(( $(now_ms) - t0 )) ms" ;;
  *) echo "usage: Cluster.sh start|stop DIR" >&2; exit 2 ;;
esac
