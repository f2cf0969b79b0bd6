#!/usr/bin/env bash
# The dock window with its archive in an object store, end to end under Wine
# (WinHTTP) against the throwaway cluster. IT presets the bucket, the
# endpoint, the access key ID and a lock of one day; at the first start the
# operator types the camera password and the secret key. Two cameras plugged
# one after another end "safe to unplug" with their cards formatted; their
# bags are valid in the store and tied to the audit trail, whose outcome
# lines are anchored there; the independent client reads every recording
# back with the card's SHA-256; the secret key is in no output, log or audit
# line. The dock gets nothing from the AWS_* variables: only orvanectl's
# checks take them.
#   DockStoreJourney.sh BIN_DIR SIM_DIR WINE_LOADER S3_ENV_FILE S3CHECK
set -u
BIN=$1 SIM=$2 WINE=$3 ENV_FILE=$4 S3CHECK=$5
source "$(dirname "$0")/DockJourney.sh"
unset AWS_PROFILE AWS_SHARED_CREDENTIALS_FILE
store_value() { sed -n "s/^$1=//p" "$ENV_FILE"; }
s3() { /usr/bin/python3 "$S3CHECK" --env "$ENV_FILE" "$@"; }
# with_store COMMAND...: COMMAND with the store's settings in its environment.
with_store() { (set -a && source "$ENV_FILE" && set +a && "$@"); }
BUCKET=dock$$w
ARCHIVE=s3://$BUCKET/evidence
serial() { printf 'SIMSTORE%012d' "$1"; }
# camera N: an unplugged camera whose card's SHA-256 values, as the bag's
# manifest lists them, are in $WORK/card-N.sha.
camera() {
  local card=$DOCK/cam-$1-card
  sim_dock_add "$DOCK" "cam-$1" "$(serial "$1")" "CAMS00$1" || fail "sim_dock_add cam-$1"
  mkdir -p "$card/DCIM/100MEDIA"
  head -c 1500000 /dev/urandom >"$card/DCIM/100MEDIA/VID_0001.MP4"
  head -c 200000 /dev/urandom >"$card/DCIM/100MEDIA/IMG_0001.JPG"
  (cd "$card" && find . -type f -printf '%P\n' | xargs -d '\n' sha256sum | sed 's|  |  data/|') >"$WORK/card-$1.sha"
}

s3 create-bucket "$BUCKET" --object-lock || { echo "FAIL: no bucket"; exit 1; }
printf '888888\n' >"$WORK/password"
store_value AWS_SECRET_ACCESS_KEY >"$WORK/secret"
SECRET=$(cat "$WORK/secret")
dock_reset
dock_presets "$ARCHIVE" "$AUDIT" RetainDays 1 || fail "cannot preset the dock"
for value in "S3Endpoint $(store_value AWS_ENDPOINT_URL)" "S3AccessKeyId $(store_value AWS_ACCESS_KEY_ID)"; do
  "$WINE" reg add "$DOCK_POLICY_KEY" /v "${value%% *}" /t REG_SZ /d "${value#* }" /f >/dev/null 2>&1 \
    || fail "cannot preset ${value%% *}"
done
for n in 1 2; do camera "$n"; done

dock_start "$BIN" "$DOCK" || { fail "cannot start the dock"; exit 1; }
probe store-secret "$WORK/secret" settings "$WORK/password"
for n in 1 2; do
  sim_dock_plug "$DOCK" "cam-$n"
  probe wait-state "$(serial "$n")" ''
done
probe wait-count 2 'safe to unplug'

for n in 1 2; do
  [ -z "$(find "$DOCK/cam-$n-card" -type f)" ] || fail "camera $n's card was not formatted"
  bag=$(grep "\"serial\":\"$(serial "$n")\"" "$AUDIT" | grep -o "\"bag\":\"$ARCHIVE/[^\"]*\"" | tail -1)
  bag=${bag#\"bag\":\"s3://$BUCKET/}; bag=${bag%\"}
  [ -n "$bag" ] || { fail "camera $n: no bag in the audit trail"; continue; }
  s3 get-sha256 "$BUCKET" --prefix "$bag/data/" | sed "s|  $bag/|  |" | sort >"$WORK/read-back-$n"
  sort "$WORK/card-$n.sha" | cmp -s - "$WORK/read-back-$n" \
    || fail "camera $n: the store's objects are not the card's: $(cat "$WORK/read-back-$n")"
done
grep -q '"lock_mode":"COMPLIANCE"' "$AUDIT" || fail "no outcome line records the lock: $(tail -3 "$AUDIT")"
out=$(with_store "${TOOL[@]}" archive verify --audit-trail "$(winpath "$AUDIT")" "$ARCHIVE" </dev/null 2>&1) \
  || fail "archive verify --audit-trail: $out"
[ "$(grep -c ': valid$' <<<"$out")" = 2 ] || fail "two valid bags expected: $out"
out=$(with_store "${TOOL[@]}" audit verify --anchors "$ARCHIVE" "$(winpath "$AUDIT")" </dev/null 2>&1) \
  || fail "audit verify --anchors: $out"
probe close
grep -rlF "$SECRET" "$WORK" --exclude=secret --exclude='read-back-*' >"$WORK/leaks"
[ -s "$WORK/leaks" ] && fail "the secret key was written to: $(cat "$WORK/leaks")"

[ "$fails" = 0 ] && echo "dock window: two cameras offloaded into an object store under Object Lock, formatted, anchored"
exit $((fails > 0))
