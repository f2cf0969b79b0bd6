#!/usr/bin/env bash
# What the archive relies on, seen with an independent client: in a bucket
# with Object Lock, a version kept under COMPLIANCE retention reads back
# whole and its deletion is refused; in a bucket without it the same delete
# goes through (so the refusal comes from the lock, not from the keys).
# ObjectLockCheck.sh ENV_FILE WORK_DIR
set -uo pipefail
[ $# = 2 ] || { echo "usage: ObjectLockCheck.sh ENV_FILE WORK_DIR" >&2; exit 2; }
s3() { "$(dirname "$0")/s3check.py" --env "$1" "${@:2}"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
env_file=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
head -c 300000 /dev/urandom >"$work/recording.mp4"
expected=$(sha256sum <"$work/recording.mp4" | cut -d' ' -f1)

for bucket in locked plain; do
  lock=(); retain=()
  [ $bucket = locked ] && lock=(--object-lock) retain=(--retain-days 1)
  s3 "$env_file" create-bucket "$bucket" "${lock[@]}" || fail "create-bucket $bucket"
  version=$(s3 "$env_file" put "$bucket" bag/data/recording.mp4 "$work/recording.mp4" "${retain[@]}") \
    || fail "put into $bucket"
  [ "$(s3 "$env_file" get-sha256 "$bucket" --prefix bag/)" = "$expected  bag/data/recording.mp4" ] \
    || fail "$bucket: the object does not read back with its SHA-256"
  s3 "$env_file" delete-version "$bucket" bag/data/recording.mp4 "${version:-null}" 2>"$work/delete.err"
  status=$?
  if [ $bucket = locked ]; then
    [ $status = 3 ] || fail "deleting a version under COMPLIANCE retention was not refused (status $status)"
    [ -n "$(s3 "$env_file" list "$bucket" --prefix bag/)" ] || fail "the locked object is gone after the refusal"
  else
    [ $status = 0 ] || fail "deleting from a bucket without Object Lock failed: $(cat "$work/delete.err")"
  fi
done
echo "Object Lock: the locked version read back whole and its deletion was refused"
