#!/usr/bin/env bash
# orvanectl at the dock, against the simulated camera and its card folder:
# an offload into a bag that archive verify finds valid, its audit lines,
# the card left as it was (natively with --from; under Wine once with the
# card appearing as a drive letter, once with --from); the afternoon
# recording: format --offloaded-to refuses a card that gained a file after
# its offload, and archive verify --audit-trail finds a bag changed and
# sealed again. Natively also: the copy cut short (card pulled, process
# killed, Ctrl+C, archive full), then resumed into one whole bag; a
# read-only archive; --format-after with a card that gained a file.
#   OffloadJourneys.sh BIN_DIR SIM_DIR [WINE_LOADER]
# To stop the copy at a known file, the tests hold a write lease on that
# card file: the tool's open of it waits until the lease is let go.
set -u
BIN=$1 SIM=$2 WINE=${3:-}
WORK=$(mktemp -d)
cleanup() {
  [ -s "$WORK/letter" ] && card_drive_unplug "$(cat "$WORK/letter")"
  mountpoint -q "$WORK/full" 2>/dev/null && umount "$WORK/full"
  rm -rf "$WORK"
}
trap cleanup EXIT
fails=0
source "$(dirname "$0")/ToolUnderTest.sh"
STATE=$WORK/state.txt CARD=$WORK/card ARCHIVE=$WORK/archive AUDIT=$WORK/audit.jsonl SERIAL=SIM00000000000000001
export NVUSB_SIM_STATE=$(winpath "$STATE") NVUSB_SIM_LOG=$(winpath "$WORK/sim-log.txt") ORVANE_PASSWORD=Zq7Kx9
unset NVUSB_SIM_FAULTS
A=(--audit "$(winpath "$AUDIT")")
TO=(--to "$(winpath "$ARCHIVE")")
FROM=(--from "$(winpath "$CARD")")

state() { sed -n "s/^$1 *= *//p" "$STATE"; }
# A camera with a card of five recordings, largest first: VID_0001, VID_0002,
# IMG_0001, IMG_0002, LOG_0001 (the order the copy takes).
camera() { rm -rf "$CARD" "$ARCHIVE"; mkdir -p "$ARCHIVE"; printf 'admin_password = %s\n' "$ORVANE_PASSWORD" >"$STATE"; }
fresh() { camera; "${TOOL[@]}" --no-audit usb-storage >/dev/null </dev/null || fail "the card was not made"; }
re_path() { winpath "$1" | sed 's/[\\.]/\\&/g'; }  # a path as a regex matches it in the tool's output
# run RC OUT_REGEX ARGS...: one run in the foreground, output in $WORK/out and $WORK/err.
run() {
  local rc=$1 re=$2; shift 2
  "${TOOL[@]}" "$@" >"$WORK/out" 2>"$WORK/err" </dev/null
  local got=$?
  [ "$got" = "$rc" ] || fail "orvanectl $*: exit $got, expected $rc; $(head -c 400 "$WORK/err")"
  grep -Eq -- "$re" "$WORK/out" "$WORK/err" || fail "orvanectl $*: no /$re/ in: $(head -c 400 "$WORK/out" "$WORK/err")"
}
# Everything of the card but access times.
snapshot() { (cd "$CARD" && find . -mindepth 1 -printf '%p %s %T@ %C@ %m\n' | sort && find . -type f -exec sha256sum {} + | sort); }
partials() { ls -d "$ARCHIVE/$SERIAL"/*.partial 2>/dev/null | wc -l; }
bag() { ls -d "$ARCHIVE/$SERIAL"/*/ 2>/dev/null | sed 's:/$::' | grep -v '\.partial$' | LC_ALL=C sort | tail -1; }
# lease FILE: the tool's next open of FILE waits; "opened" lands in $WORK/lease once it tries.
lease() {
  rm -f "$WORK/lease"
  perl -MFcntl -e 'open(my $f, "<", $ARGV[0]) or die; my $e = $ARGV[1];
    sub note { open(my $o, ">>", $e); print $o "$_[0]\n"; close $o }
    $SIG{IO} = sub { note("opened") }; $SIG{USR1} = sub { fcntl($f, 1024, F_UNLCK); exit 0 };
    fcntl($f, 1024, F_WRLCK) or die "lease: $!"; note("leased"); sleep 1 while 1' "$1" "$WORK/lease" &
  LEASE=$!
  wait_for "$WORK/lease" leased
}
release() { kill -USR1 "$LEASE"; wait "$LEASE"; }

# check_bag LINE_REGEX: the last run made one whole bag of the card, valid,
# recorded by a started and an outcome line, the card as it was.
check_bag() {
  local b; b=$(bag)
  [ -n "$b" ] && [ "$(partials)" = 0 ] || { fail "no whole bag: $(ls "$ARCHIVE/$SERIAL")"; return; }
  grep -Eqx -- "$SERIAL CAM0001 ok 5 files 2510848 bytes $(winpath "$b" | sed 's/[\\.]/\\&/g')$1" "$WORK/out" \
    || fail "result line: $(cat "$WORK/out")"
  diff -r "$CARD" "$b/data" >/dev/null || fail "the bag's data differs from the card"
  [ "$(snapshot)" = "$SNAPSHOT" ] || fail "the card changed: $(diff <(echo "$SNAPSHOT") <(snapshot))"
  local out; out=$("${TOOL[@]}" archive verify "$(winpath "$ARCHIVE")" </dev/null)
  [ "$out" = "$(winpath "$b"): valid" ] || fail "archive verify: $out"
  local tag; tag=$(sha256sum <"$b/tagmanifest-sha256.txt" | cut -d' ' -f1)
  tail -1 "$AUDIT" | grep -q "\"action\":\"offload\",\"outcome\":\"ok\",\"bag\":\"$(winpath "$b" | sed 's/\\/\\\\\\\\/g')\",\"payload_oxum\":\"2510848.5\",\"tagmanifest_sha256\":\"$tag\"" \
    || fail "audit outcome: $(tail -1 "$AUDIT")"
  tail -2 "$AUDIT" | head -1 | grep -q "\"serial\":\"$SERIAL\",\"action\":\"offload\",\"outcome\":\"started\"" \
    || fail "no started line before it: $(tail -2 "$AUDIT" | head -1)"
  grep -qx "Payload-Oxum: 2510848.5" "$b/bag-info.txt" || fail "bag-info: $(cat "$b/bag-info.txt")"
}

# ---- one offload end to end: the card as a new drive letter under Wine, --from natively
fresh; SNAPSHOT=$(snapshot)
if [ -n "$WINE" ]; then
  source "$(dirname "$0")/../../scripts/lib/card-drive.sh"
  # The drive appears once the camera has switched to USB storage.
  (wait_for "$STATE" '^storage_mode_count = 2' && card_drive_plug_free "$CARD" >"$WORK/letter") &
  run 0 ' ok ' "${A[@]}" offload "${TO[@]}"
  wait
  check_bag ''
  card_drive_unplug "$(cat "$WORK/letter")"
  run 1 'the card did not appear within 1 s' "${A[@]}" offload "${TO[@]}" --card-wait 1
fi
rm -rf "$ARCHIVE"/*
run 0 ' ok ' "${A[@]}" offload "${TO[@]}" "${FROM[@]}"
check_bag ''
[ -s "$WORK/err" ] && fail "progress or errors on a standard error that is no console: $(cat "$WORK/err")"
"${TOOL[@]}" audit verify "$(winpath "$AUDIT")" >/dev/null </dev/null || fail "the audit chain is broken"
# ---- the afternoon recording: the card gains a file after its offload, and
# no format goes through until a bag holds it too
fresh
FORMAT=(format --yes --offloaded-to "$(winpath "$ARCHIVE")" "${FROM[@]}")
run 1 "card not formatted: no bag of $SERIAL in .*: offload the card first" "${A[@]}" "${FORMAT[@]}"
run 0 ' ok 5 files ' "${A[@]}" offload "${TO[@]}" "${FROM[@]}"
MORNING=$(bag)
echo afternoon >"$CARD/DCIM/100MEDIA/VID_0003.MP4"
run 1 "card not formatted: the card holds 1 file that no bag of $SERIAL in .* holds: DCIM/100MEDIA/VID_0003\.MP4" \
  "${A[@]}" "${FORMAT[@]}"
[ "$(state format_count)" = 0 ] && [ -s "$CARD/DCIM/100MEDIA/VID_0003.MP4" ] || fail "the afternoon recording was formatted away"
run 0 ' ok 6 files ' "${A[@]}" offload "${TO[@]}" "${FROM[@]}"
AFTERNOON=$(bag)
run 0 "^card formatted; its recordings are in $(re_path "$AFTERNOON")\$" "${A[@]}" "${FORMAT[@]}"
[ "$(state format_count)" = 1 ] && [ -z "$(ls -A "$CARD")" ] || fail "the card was not formatted"
tail -1 "$AUDIT" | grep -q "\"action\":\"format\",\"outcome\":\"ok\",\"offloaded_to\":\"$(winpath "$AFTERNOON" | sed 's/\\/\\\\\\\\/g')\"" \
  || fail "format audit: $(tail -1 "$AUDIT")"
VERIFY=(archive verify --audit-trail "$(winpath "$AUDIT")" "$(winpath "$ARCHIVE")")
run 0 "^$(re_path "$MORNING"): valid\$" "${VERIFY[@]}"
grep -qx "$(re_path "$AFTERNOON"): valid" "$WORK/out" || fail "archive verify --audit-trail: $(cat "$WORK/out")"
# The morning bag changed and sealed again: a byte of a recording, the
# manifest and the tag manifest. Valid as a bag; not the bag its offload
# recorded.
printf X | dd of="$MORNING/data/MISC/LOG_0001.TXT" bs=1 conv=notrunc status=none
(cd "$MORNING" && find data -type f | LC_ALL=C sort | xargs sha256sum >manifest-sha256.txt \
  && sha256sum bagit.txt bag-info.txt manifest-sha256.txt >tagmanifest-sha256.txt)
run 0 "^$(re_path "$MORNING"): valid\$" archive verify "$(winpath "$ARCHIVE")"
run 1 "^$(re_path "$MORNING"): invalid: tagmanifest-sha256\.txt: differs from the one recorded at its offload" \
  "${VERIFY[@]}"
[ -n "$WINE" ] && { echo "$fails failed"; [ "$fails" = 0 ]; exit; }

# ---- the copy cut short, then resumed into one whole bag
# cut_short HOW: offload in the background, stopped when it opens IMG_0001.JPG
# (the largest first: both videos are copied and verified meanwhile), then
# cut short HOW; the rest runs on.
videos() { ls "$ARCHIVE/$SERIAL"/*.partial/data/DCIM/100MEDIA/VID_000[12].MP4 2>/dev/null | wc -l | grep -qx 2; }
inodes() { stat -c %i "$1"/data/DCIM/100MEDIA/VID_000[12].MP4 2>/dev/null; }
cut_short() {
  lease "$CARD/DCIM/100MEDIA/IMG_0001.JPG"
  "${TOOL[@]}" "${A[@]}" offload "${TO[@]}" "${FROM[@]}" >"$WORK/out" 2>"$WORK/err" </dev/null &
  local tool=$!
  wait_for "$WORK/lease" opened && until_true "both videos verified" videos
  case $1 in
    pull) mv "$CARD" "$CARD.pulled" ;;
    kill) kill -KILL "$tool" ;;
    ctrl-c) kill -INT "$tool" ;;
  esac
  release; { wait "$tool"; echo $? >"$WORK/rc"; } 2>/dev/null
  [ -d "$CARD.pulled" ] && mv "$CARD.pulled" "$CARD"
}
for how in pull kill ctrl-c; do
  fresh; SNAPSHOT=$(snapshot)
  cut_short $how 2>/dev/null  # not the shell's word on the killed tool
  [ "$(partials)" = 1 ] && [ -z "$(bag)" ] || fail "$how: not one .partial and no bag: $(ls "$ARCHIVE/$SERIAL")"
  case $how in
    pull) grep -q "failed at card: DCIM/100MEDIA/IMG_0002.JPG: cannot be opened" "$WORK/out" || fail "pull: $(cat "$WORK/out" "$WORK/err")" ;;
    kill) tail -1 "$AUDIT" | grep -q '"outcome":"started"' || fail "kill: $(tail -1 "$AUDIT")" ;;
    ctrl-c) grep -q "failed at copy: interrupted" "$WORK/out" || fail "ctrl-c: $(cat "$WORK/out")" ;;
  esac
  [ "$how" = kill ] || { [ "$(cat "$WORK/rc")" = 1 ] || fail "$how: exit $(cat "$WORK/rc")"; }
  [ "$how" = kill ] || tail -1 "$AUDIT" | grep -q '"outcome":"failed at .*","partial":".*\.partial"' || fail "$how: audit $(tail -1 "$AUDIT")"
  partial=$(ls -d "$ARCHIVE/$SERIAL"/*.partial); kept=$(inodes "$partial")
  run 0 ' ok ' "${A[@]}" offload "${TO[@]}" "${FROM[@]}"
  check_bag ' \(resumed\)'
  [ "$(bag)" = "${partial%.partial}" ] || fail "$how: the resumed bag is not the .partial's folder"
  [ "$(inodes "$(bag)")" = "$kept" ] || fail "$how: the verified videos were copied again"
done
if mkdir -p "$WORK/full" && mount -t tmpfs -o size=1m tmpfs "$WORK/full" 2>/dev/null; then
  fresh; SNAPSHOT=$(snapshot)
  run 1 'failed at copy: .*full' "${A[@]}" offload --to "$WORK/full" "${FROM[@]}"
  mount -o remount,size=16m "$WORK/full"
  run 0 'ok 5 files .* \(resumed\)' "${A[@]}" offload --to "$WORK/full" "${FROM[@]}"
  mount -o remount,ro "$WORK/full"  # a read-only share: refused before the camera is touched
  run 2 'cannot create folders in the archive' "${A[@]}" offload --to "$WORK/full" "${FROM[@]}"
else
  echo "note: no tmpfs mount here (not root?): the archive-full journey was skipped"
fi

# ---- --format-after: formats a card that holds exactly the bag's files, no other
fresh
run 0 ' ok .*, card formatted$' "${A[@]}" offload "${TO[@]}" "${FROM[@]}" --format-after
[ "$(state format_count)" = 1 ] && [ -z "$(ls -A "$CARD")" ] || fail "--format-after did not format"
fresh
lease "$CARD/MISC/LOG_0001.TXT"
"${TOOL[@]}" "${A[@]}" offload "${TO[@]}" "${FROM[@]}" --format-after >"$WORK/out" 2>"$WORK/err" </dev/null &
tool=$!
wait_for "$WORK/lease" opened && echo new >"$CARD/DCIM/100MEDIA/VID_0003.MP4"
release; wait "$tool"; rc=$?
[ "$rc" = 1 ] && grep -q ' ok .*card not formatted: .*VID_0003' "$WORK/out" || fail "a card that gained a file: exit $rc, $(cat "$WORK/out")"
[ "$(state format_count)" = 0 ] && [ -f "$CARD/DCIM/100MEDIA/VID_0001.MP4" ] || fail "a card that gained a file was formatted"
echo "$fails failed"
[ "$fails" = 0 ]
