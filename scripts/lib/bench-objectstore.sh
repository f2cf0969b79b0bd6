# The object store's figures of scripts/bench (sourced by it, after
# common.sh, ceph.sh and bench-offload.sh; uses its WORK, median, now_ms and
# row): what an independent client, Debian's boto3, gets from a throwaway
# Ceph cluster on this machine, for the product's own figures to be set
# beside in the same run.
#   cluster  start to the first S3 answer and stop, with BlueStore on a
#            sparse file (memstore would hold the gigabytes twice in memory);
#            the daemons' peak resident sets
#   upload   boto3 upload_file of the 1 GiB card of the offload figure, file
#            by file as the offload goes, without reading anything back
#   download boto3 downloading every object of that card and hashing it
#            (SHA-256), as archive verify does; the hashes are checked
#            against the card's
#   product  where the native tree holds bench/store_offload: the offload
#            of the same card into a bag in the store, each recording read
#            back, and the check of that bag, in the same runs; and the peak
#            resident set offloading one 2 GiB file
# About 3 GiB of disk in the build folder while it runs.

OBJECTSTORE_RUNS=${ORVANE_BENCH_OFFLOAD_RUNS:-3}
OBJECTSTORE_STORE_GIB=16
S3CHECK=$ROOT/tests/objectstore/s3check.py
MIB=1048576

mibps() { awk -v b="$1" -v ms="$2" -v mib=$MIB 'BEGIN {printf "%.0f", b / mib / (ms / 1000)}'; }

# The offload figure's 1 GiB card when it made one, else one of the same
# layout and random bytes (the bench of the object store alone needs no
# build). Prints its folder.
objectstore_card() {
  local made=$WORK/offload/card1g dir=$WORK/objectstore/card kind layout n size i
  [ -d "$made" ] && { echo "$made"; return 0; }
  for kind in videos photos; do
    layout=$CARD1G_VIDEOS; [ $kind = photos ] && layout=$CARD1G_PHOTOS
    read -r n _ size <<<"$layout"
    mkdir -p "$dir/$kind"
    for ((i = 0; i < n; i++)); do
      head -c "$size" /dev/urandom >"$dir/$kind/${kind:0:3}$(printf %04d "$i").bin" || return 1
    done
  done
  echo "$dir"
}

# The peak resident set (KiB) of each running daemon of the cluster.
objectstore_daemon_peaks() {
  local dir=$1 name pid
  for name in mon.a osd.0 client.rgw.a; do
    pid=$(cat "$dir/pid/$name") || continue
    echo "$name $(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")"
  done
}

# The figures into OBJ[...].
declare -A OBJ
bench_objectstore() {
  local d=$WORK/objectstore cluster=$BUILD/bench-objectstore card t0 i bytes
  mkdir -p "$d"
  say "== objectstore: the 1 GiB card"
  card=$(objectstore_card) || die "could not make the card"
  OBJ[bytes]=$(find "$card" -type f -printf '%s\n' | awk '{n += $1} END {print n}')
  (cd "$card" && find . -type f -printf '%P\0' | sort -z | xargs -0 sha256sum) | sed 's|  |  card/|' >"$d/card.sha256"
  find "$card" -type f -exec cat {} + >/dev/null   # page cache warm, as for the offload

  say "== objectstore: Ceph cluster (BlueStore, $OBJECTSTORE_STORE_GIB GiB sparse) under $cluster"
  t0=$(now_ms)
  ceph_start "$cluster" bluestore "$OBJECTSTORE_STORE_GIB" || die "the Ceph cluster did not start"
  OBJ[start]=$(( $(now_ms) - t0 ))
  OBJECTSTORE_CLUSTER=$cluster
  for i in $(seq "$OBJECTSTORE_RUNS"); do
    say "   boto3: run $i of $OBJECTSTORE_RUNS"
    "$S3CHECK" --env "$cluster/s3.env" create-bucket "bench-$i" || die "s3check create-bucket failed"
    t0=$(now_ms)
    bytes=$("$S3CHECK" --env "$cluster/s3.env" upload-file "bench-$i" card "$card") || die "s3check upload-file failed"
    echo $(( $(now_ms) - t0 )) >>"$d/upload"
    [ "$bytes" = "${OBJ[bytes]}" ] || die "s3check uploaded $bytes bytes of ${OBJ[bytes]}"
    t0=$(now_ms)
    "$S3CHECK" --env "$cluster/s3.env" get-sha256 "bench-$i" --prefix card/ >"$d/store.sha256" \
      || die "s3check get-sha256 failed"
    echo $(( $(now_ms) - t0 )) >>"$d/download"
    sort -k2 "$d/store.sha256" | cmp -s - <(sort -k2 "$d/card.sha256") \
      || die "the objects read back do not hash as the card's files"
    objectstore_product_run "$cluster" "$card" "$i" "$d"
  done
  objectstore_product_memory "$cluster" "$d"
  OBJ[upload]=$(median <"$d/upload") OBJ[download]=$(median <"$d/download")
  if [ -s "$d/offload" ]; then
    OBJ[offload]=$(median <"$d/offload") OBJ[verify]=$(median <"$d/verify")
  fi
  OBJ[peaks]=$(objectstore_daemon_peaks "$cluster" | awk '{printf "%s%s %.0f", sep, $1, $2 / 1024; sep = ", "}')
  t0=$(now_ms)
  ceph_stop "$cluster"
  OBJ[stop]=$(( $(now_ms) - t0 ))
  objectstore_cleanup
}

STORE_OFFLOAD=$BUILD/native/bin/store_offload

# The product's offload of the card into a bag of its own, and the check of
# that bag: their times into DIR/offload and DIR/verify.
objectstore_product_run() {
  local cluster=$1 card=$2 i=$3 d=$4 out bytes offload verify
  [ -x "$STORE_OFFLOAD" ] || return 0
  say "   product: run $i"
  "$S3CHECK" --env "$cluster/s3.env" create-bucket "product-$i" --object-lock || die "s3check create-bucket failed"
  out=$(set -a; source "$cluster/s3.env"; "$STORE_OFFLOAD" "$card" "s3://product-$i/evidence" BENCH) \
    || die "store_offload failed"
  read -r bytes offload verify <<<"$out"
  [ "$bytes" = "${OBJ[bytes]}" ] || die "store_offload stored $bytes bytes of ${OBJ[bytes]}"
  echo "$offload" >>"$d/offload"
  echo "$verify" >>"$d/verify"
}

# The peak resident set (MiB) of the offload of one 2 GiB file into OBJ[rss].
objectstore_product_memory() {
  local cluster=$1 d=$2
  [ -x "$STORE_OFFLOAD" ] || return 0
  say "   product: one 2 GiB file"
  mkdir -p "$d/big" && head -c $((2048 * MIB)) /dev/urandom >"$d/big/huge.mp4" || die "could not make the 2 GiB file"
  "$S3CHECK" --env "$cluster/s3.env" create-bucket product-big || die "s3check create-bucket failed"
  OBJ[rss]=$( (set -a; source "$cluster/s3.env"; /usr/bin/time -f %M "$STORE_OFFLOAD" "$d/big" s3://product-big/evidence BENCH) \
    2>&1 >/dev/null | tail -1 | awk '{printf "%.0f", $1 / 1024}')
  rm -rf "$d/big"
}

# Stops the bench's cluster (when it still runs) and frees its disk.
objectstore_cleanup() {
  [ -n "${OBJECTSTORE_CLUSTER:-}" ] || return 0
  ceph_stop "$OBJECTSTORE_CLUSTER"
  rm -rf "$OBJECTSTORE_CLUSTER"
  OBJECTSTORE_CLUSTER=
}

bench_objectstore_rows() {
  row "boto3 upload_file 1 GiB, no read-back (MiB/s)" "$(mibps "${OBJ[bytes]}" "${OBJ[upload]}")" \
    "$(seconds "${OBJ[upload]}") s" "" "(offload >= 0.7 x)"
  row "boto3 download + SHA-256 of it (MiB/s)" "$(mibps "${OBJ[bytes]}" "${OBJ[download]}")" \
    "$(seconds "${OBJ[download]}") s" "" "(verify >= 1 x)"
  if [ -n "${OBJ[offload]:-}" ]; then
    row "offload 1 GiB into the store + read-back (MiB/s)" "$(mibps "${OBJ[bytes]}" "${OBJ[offload]}")" \
      "boto3 upload $(mibps "${OBJ[bytes]}" "${OBJ[upload]}")" "$(ratio "${OBJ[upload]}" "${OBJ[offload]}") x" ">= 0.7 x"
    row "archive verify of its bag in the store (MiB/s)" "$(mibps "${OBJ[bytes]}" "${OBJ[verify]}")" \
      "boto3 download $(mibps "${OBJ[bytes]}" "${OBJ[download]}")" "$(ratio "${OBJ[download]}" "${OBJ[verify]}") x" ">= 1 x"
    row "peak resident set, 2 GiB file offloaded (MiB)" "${OBJ[rss]}" "" "" "< 64 MiB"
  fi
  row "Ceph cluster start to S3 answer, stop (s)" "$(seconds "${OBJ[start]}")" "stop $(seconds "${OBJ[stop]}")" "" ""
  say "(boto3: medians of $OBJECTSTORE_RUNS runs, MiB = 2^20 bytes, card in the page cache, store on this"
  say " machine; daemons' peak resident sets in MiB: ${OBJ[peaks]})"
}
