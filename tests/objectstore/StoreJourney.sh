#!/usr/bin/env bash
# orvanectl with an archive on the throwaway cluster, against the simulated
# camera: an offload into a bucket with Object Lock (read back by the
# independent client, a recording's version not deletable), archive verify
# of the good bag and of an edited object, format --offloaded-to, the audit
# line's anchors found changed after a local line was edited and the chain
# rewritten; refused before the camera is touched: wrong keys, an
# unreachable store, a bucket without Object Lock with --retain-days.
# An offload killed part-way, resumed into one valid bag.
#   StoreJourney.sh BIN_DIR SIM_DIR S3_ENV_FILE S3CHECK [WINE_LOADER]
set -u
BIN=$1 SIM=$2 ENV_FILE=$3 S3CHECK=$4 WINE=${5:-}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fails=0
source "$(dirname "$0")/../cli/ToolUnderTest.sh"
s3() { /usr/bin/python3 "$S3CHECK" --env "$ENV_FILE" "$@"; }
STATE=$WORK/state.txt CARD=$WORK/card AUDIT=$WORK/audit.jsonl SERIAL=SIM00000000000000001
export NVUSB_SIM_STATE=$(winpath "$STATE") NVUSB_SIM_LOG=$(winpath "$WORK/sim-log.txt") ORVANE_PASSWORD=Zq7Kx9
unset NVUSB_SIM_FAULTS AWS_PROFILE AWS_SHARED_CREDENTIALS_FILE
set -a; source "$ENV_FILE"; set +a
RUN=j$$${WINE:+w}
LOCKED=$RUN-locked PLAIN=$RUN-plain
s3 create-bucket "$LOCKED" --object-lock && s3 create-bucket "$PLAIN" || { echo "FAIL: no buckets"; exit 1; }
A=(--audit "$(winpath "$AUDIT")")
FROM=(--from "$(winpath "$CARD")")
TO=(--to "s3://$LOCKED/evidence" --retain-days 1)

state() { sed -n "s/^$1 *= *//p" "$STATE"; }
fresh() {
  rm -rf "$CARD"; printf 'admin_password = %s\n' "$ORVANE_PASSWORD" >"$STATE"
  "${TOOL[@]}" --no-audit usb-storage >/dev/null </dev/null || fail "the card was not made"
}
# run RC OUT_REGEX ARGS...: one run, output in $WORK/out and $WORK/err.
run() {
  local rc=$1 re=$2; shift 2
  "${TOOL[@]}" "$@" >"$WORK/out" 2>"$WORK/err" </dev/null
  local got=$?
  [ "$got" = "$rc" ] || fail "orvanectl $*: exit $got, expected $rc; $(head -c 400 "$WORK/err")"
  grep -Eq -- "$re" "$WORK/out" "$WORK/err" || fail "orvanectl $*: no /$re/ in: $(head -c 400 "$WORK/out" "$WORK/err")"
}
bag_of() { sed -n "s|.* ok 5 files 2510848 bytes s3://$LOCKED/\([^ ]*\).*|\1|p" "$WORK/out"; }

# ---- refused before the camera is touched, in the operator's words
fresh
SECRET=$AWS_SECRET_ACCESS_KEY
AWS_SECRET_ACCESS_KEY=not-the-key-$RUN run 2 'refused the keys' "${A[@]}" offload "${TO[@]}" "${FROM[@]}"
grep -q "not-the-key" "$WORK/out" "$WORK/err" && fail "the secret key was repeated: $(cat "$WORK/err")"
run 2 'cannot be reached' "${A[@]}" offload "${TO[@]}" "${FROM[@]}" --s3-endpoint http://127.0.0.1:9
run 2 "s3://$PLAIN/evidence: the bucket has no Object Lock" "${A[@]}" offload --to "s3://$PLAIN/evidence" \
  --retain-days 30 "${FROM[@]}"
run 2 'the folder .* cannot keep them' "${A[@]}" offload --to "$(winpath "$WORK")" --retain-days 30 "${FROM[@]}"
[ -z "$(s3 list "$PLAIN")" ] || fail "something was stored unprotected: $(s3 list "$PLAIN")"
[ "$(state storage_mode_count)" = 1 ] || fail "a refused offload touched the camera: $(state storage_mode_count)"
[ -s "$AUDIT" ] && fail "a refused offload was audited: $(cat "$AUDIT")"

# ---- one offload under Object Lock, the keys from a profile of the shared credentials file
printf '[station]\naws_access_key_id = %s\naws_secret_access_key = %s\n' "$AWS_ACCESS_KEY_ID" "$SECRET" >"$WORK/credentials"
AWS_ACCESS_KEY_ID= AWS_SECRET_ACCESS_KEY= AWS_SHARED_CREDENTIALS_FILE=$(winpath "$WORK/credentials") \
  run 0 ' ok 5 files ' "${A[@]}" offload "${TO[@]}" "${FROM[@]}" --s3-profile station
BAG=$(bag_of)
[ -n "$BAG" ] || fail "no bag in: $(cat "$WORK/out")"
tail -1 "$AUDIT" | grep -Eq "\"outcome\":\"ok\",\"bag\":\"s3://$LOCKED/$BAG\",.*\"lock_mode\":\"COMPLIANCE\",\"retain_until\":\"[0-9T:-]+Z\"" \
  || fail "audit outcome: $(tail -1 "$AUDIT")"
s3 get-sha256 "$LOCKED" --prefix "$BAG/data/" >"$WORK/read-back" || fail "the independent client cannot read the bag"
while read -r sha path; do
  grep -qx "$sha  $BAG/$path" "$WORK/read-back" || fail "$path does not read back with the manifest's SHA-256"
done < <(cd "$CARD" && find . -type f -printf '%P\n' | xargs -d '\n' sha256sum | sed 's|  |  data/|')
[ "$(wc -l <"$WORK/read-back")" = 5 ] || fail "read back: $(cat "$WORK/read-back")"
# Each rewrite of an object under Object Lock is a version kept for good:
# one offload of a card of small recordings writes each object once.
s3 versions "$LOCKED" --prefix "$BAG/" >"$WORK/versions" || fail "the versions cannot be listed"
[ "$(wc -l <"$WORK/versions")" = 10 ] && awk '$1 != 1 {exit 1}' "$WORK/versions" \
  || fail "objects rewritten: $(cat "$WORK/versions")"
VIDEO=$BAG/data/DCIM/100MEDIA/VID_0001.MP4
VIDEO_SIZE=$(stat -c %s "$CARD/DCIM/100MEDIA/VID_0001.MP4")
VERSION=$(s3 version "$LOCKED" "$VIDEO")
s3 delete-version -- "$LOCKED" "$VIDEO" "${VERSION:-null}" 2>/dev/null
[ $? = 3 ] || fail "deleting a recording's version was not refused"
run 0 "^s3://$LOCKED/$BAG: valid\$" archive verify --audit-trail "$(winpath "$AUDIT")" "s3://$LOCKED/evidence"

# ---- format only once the bag in the store holds the card
run 0 "^card formatted; its recordings are in s3://$LOCKED/$BAG\$" "${A[@]}" format --yes \
  --offloaded-to "s3://$LOCKED/evidence" "${FROM[@]}" --retain-days 1
[ "$(state format_count)" = 1 ] && [ -z "$(ls -A "$CARD")" ] || fail "the card was not formatted"

# ---- the audit trail's anchors: a local line edited and the chain rewritten from it
run 0 '; 2 anchored in s3://.* unchanged$' audit verify --anchors "s3://$LOCKED/evidence" "$(winpath "$AUDIT")"
# The edited line also anchored beside the true one, as someone with write
# access to the bucket could: its name listed first.
cat >"$WORK/edit.py" <<'PY'
import hashlib, json, re, sys
sha = lambda text: hashlib.sha256(text.encode()).hexdigest()
lines = open(sys.argv[1]).read().splitlines()
true = sha(lines[1])
for n in range(1000):
    edited = lines[1].replace('"outcome":"ok"', '"outcome":"failed at copy: %d"' % n)
    if sha(edited) < true:
        break
lines[1] = edited
for i in range(2, len(lines)):
    lines[i] = re.sub(r'"prev":"[0-9a-f]{64}"', '"prev":"%s"' % sha(lines[i - 1]), lines[i], count=1)
open(sys.argv[2], "w").write("\n".join(lines) + "\n")
open(sys.argv[3], "w").write(lines[1] + "\n")
print("evidence/_audit/%s/2-%s.json" % (json.loads(lines[1])["computer"], sha(lines[1])))
PY
FORGED=$(python3 "$WORK/edit.py" "$AUDIT" "$WORK/edited.jsonl" "$WORK/forged")
run 0 'chain whole' audit verify "$(winpath "$WORK/edited.jsonl")"
s3 put "$LOCKED" "$FORGED" "$WORK/forged" >/dev/null || fail "the forged anchor was not stored"
run 1 'edited\.jsonl:2: line 2 differs from the line anchored' audit verify --anchors "s3://$LOCKED/evidence" \
  "$(winpath "$WORK/edited.jsonl")"

# ---- an edited object: a new version of a recording is found out
head -c "$VIDEO_SIZE" /dev/urandom >"$WORK/edited.mp4"
s3 put "$LOCKED" "$VIDEO" "$WORK/edited.mp4" >/dev/null || fail "the edit was not stored"
run 1 "^s3://$LOCKED/$BAG: invalid: data/DCIM/100MEDIA/VID_0001\.MP4: sha256 differs" archive verify "s3://$LOCKED/evidence"
# ---- an offload killed while it opens the card's first photo, then resumed
# into one valid bag. Natively the photo is leased: the open waits. Wine
# opens files in its server, where a lease fails the open at once, so there
# the photo is a pipe (listed as 0 bytes, so copied last) that the read
# waits on; the kill ends the Windows process itself, and its handle on the
# photo with it.
fresh
PHOTO=$CARD/DCIM/100MEDIA/IMG_0001.JPG
stop_at_photo() {
  if [ -n "$WINE" ]; then
    cp "$PHOTO" "$WORK/photo" && hold "$PHOTO"
    return
  fi
  perl -MFcntl -e 'open(my $f, "<", $ARGV[0]) or die; my $e = $ARGV[1];
    sub note { open(my $o, ">>", $e); print $o "$_[0]\n"; close $o }
    $SIG{IO} = sub { note("opened") }; $SIG{USR1} = sub { fcntl($f, 1024, F_UNLCK); exit 0 };
    fcntl($f, 1024, F_WRLCK) or die "lease: $!"; note("leased"); sleep 1 while 1' \
    "$PHOTO" "$WORK/lease" &
  HOLD=$!
  wait_for "$WORK/lease" leased
}
photo_opened() { if [ -n "$WINE" ]; then until_true "the photo opened" held; else wait_for "$WORK/lease" opened; fi; }
# The killed tool gone, the photo as it was.
let_photo_go() {
  if [ -n "$WINE" ]; then
    wait "$tool"
    until_true "the killed tool letting go of the photo" eval '! held'
    kill "$HOLD"; wait "$HOLD"
    rm -f "$PHOTO" && cp "$WORK/photo" "$PHOTO"
    return
  fi
  kill -USR1 "$HOLD"; wait "$HOLD"; wait "$tool"
}
stop_at_photo
"${TOOL[@]}" "${A[@]}" offload --to "s3://$LOCKED/resume" "${FROM[@]}" >/dev/null 2>&1 </dev/null &
tool=$!
photo_opened && kill -KILL "$tool"
let_photo_go 2>/dev/null  # not the shell's word on the killed tool
run 1 ": unfinished: " archive verify "s3://$LOCKED/resume"
run 0 ' ok 5 files .* \(resumed\)$' "${A[@]}" offload --to "s3://$LOCKED/resume" "${FROM[@]}"
run 0 "^s3://$LOCKED/resume/$SERIAL/[0-9TZ]+: valid\$" archive verify "s3://$LOCKED/resume"
[ "$(wc -l <"$WORK/out")" = 1 ] || fail "not one bag after the resume: $(cat "$WORK/out")"
echo "$fails failed"
[ "$fails" = 0 ]
