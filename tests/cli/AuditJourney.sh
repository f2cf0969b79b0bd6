#!/usr/bin/env bash
# The audit trail when two stations write one file: two orvanectl processes
# append to the same audit file at once, each with its own simulated camera;
# `audit verify` then finds a whole chain with every line, and names the line
# where a copy was tampered with. A file that ends in half a line is refused.
#   AuditJourney.sh BIN_DIR SIM_DIR [WINE_LOADER]
set -u
BIN=$1 SIM=$2 WINE=${3:-}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fails=0
ROUNDS=${AUDIT_ROUNDS:-12}

source "$(dirname "$0")/ToolUnderTest.sh"
export ORVANE_PASSWORD=Zq7Kx9
unset NVUSB_SIM_FAULTS NVUSB_SIM_LOG
AUDIT=$WORK/audit.jsonl


# station NAME: ROUNDS sync-times on its own camera, into the shared file.
station() {
  printf 'admin_password = %s\n' "$ORVANE_PASSWORD" >"$WORK/$1.state"
  local i
  for i in $(seq "$ROUNDS"); do
    NVUSB_SIM_STATE=$(winpath "$WORK/$1.state") "${TOOL[@]}" --audit "$(winpath "$AUDIT")" sync-time \
      >>"$WORK/$1.out" 2>&1 </dev/null || echo "exit $?" >>"$WORK/$1.out"
  done
}

station east & east=$!
station west & west=$!
wait "$east" "$west"
grep -q '^exit' "$WORK/east.out" "$WORK/west.out" && fail "a station failed: $(grep -h -B1 '^exit' "$WORK"/*.out)"

verify() {  # verify FILE: runs audit verify, output in $WORK/out and $WORK/err
  "${TOOL[@]}" audit verify "$(winpath "$1")" >"$WORK/out" 2>"$WORK/err" </dev/null
}
verify "$AUDIT"; rc=$?
lines=$((4 * ROUNDS))  # two stations, each sync-time a started and an outcome line
[ "$rc" = 0 ] || fail "verify of the shared file: exit $rc: $(cat "$WORK/err")"
last=$(tail -1 "$AUDIT" | tr -d '\n' | sha256sum | cut -d' ' -f1)
grep -Eq "audit\.jsonl: $lines lines, chain whole, last hash $last\$" "$WORK/out" \
  || fail "verify of the shared file: $(cat "$WORK/out") (expected $lines lines, last hash $last)"
[ "$(wc -l <"$AUDIT")" = "$lines" ] || fail "$(wc -l <"$AUDIT") lines in the shared file, expected $lines"
head -1 "$AUDIT" | grep -q '^{"seq":1,"prev":"0\{64\}","time":' || fail "first line: $(head -1 "$AUDIT")"

# Natively: two stations wait for the lock another process holds on the
# file, saying so, and append only after it; Ctrl+C ends a third's wait
# with nothing changed.
if [ -z "$WINE" ]; then
  exec {held}>>"$AUDIT"
  flock -x "$held"
  printf 'admin_password = %s\n' "$ORVANE_PASSWORD" >"$WORK/late.state"
  for name in north south; do
    NVUSB_SIM_STATE="$WORK/late.state" "${TOOL[@]}" --audit "$AUDIT" sync-time >"$WORK/$name.out" 2>&1 </dev/null {held}>&- &
    eval "$name=\$!"
  done
  WAITING='audit file .*audit\.jsonl is locked by another program: waiting'
  wait_for "$WORK/north.out" "$WAITING" && wait_for "$WORK/south.out" "$WAITING"
  [ "$(wc -l <"$AUDIT")" = "$lines" ] || fail "a station appended while another process held the lock"

  cp "$AUDIT" "$WORK/before.jsonl"
  printf 'admin_password = %s\n' "$ORVANE_PASSWORD" >"$WORK/stopped.state"
  NVUSB_SIM_STATE="$WORK/stopped.state" "${TOOL[@]}" --audit "$AUDIT" sync-time >"$WORK/out" 2>"$WORK/err" </dev/null {held}>&- &
  stopped=$!
  wait_for "$WORK/err" "$WAITING" && kill -INT "$stopped"
  wait "$stopped"; rc=$?
  [ "$rc" = 6 ] && grep -q "interrupted while waiting for the audit file's lock; nothing was changed" "$WORK/err" \
    || fail "Ctrl+C while waiting for the lock: exit $rc, $(cat "$WORK/err")"
  grep -q '^clock' "$WORK/stopped.state" && fail "the camera's clock was set after Ctrl+C while waiting for the lock"
  cmp -s "$AUDIT" "$WORK/before.jsonl" || fail "a line was written after Ctrl+C while waiting for the lock"

  flock -u "$held"; exec {held}>&-
  wait "$north" "$south" || fail "a station failed after the lock was released: $(cat "$WORK/north.out" "$WORK/south.out")"
  lines=$((lines + 4))
  verify "$AUDIT" && grep -q "audit\.jsonl: $lines lines, chain whole" "$WORK/out" \
    || fail "verify after the lock was released: $(cat "$WORK/out" "$WORK/err")"
fi

# A copy with line 5 edited: verify names line 6, whose prev no longer fits.
sed '5s/"time.sync"/"time.synd"/' "$AUDIT" >"$WORK/edited.jsonl"
verify "$WORK/edited.jsonl"; rc=$?
[ "$rc" = 1 ] && grep -Eq 'edited\.jsonl:6: prev is not the hash of line 5' "$WORK/err" \
  || fail "verify of an edited copy: exit $rc, $(cat "$WORK/err")"
[ -s "$WORK/out" ] && fail "verify of an edited copy printed a result: $(cat "$WORK/out")"
# The writer checks the whole chain before it touches a camera.
printf 'admin_password = %s\n' "$ORVANE_PASSWORD" >"$WORK/edited.state"
NVUSB_SIM_STATE=$(winpath "$WORK/edited.state") "${TOOL[@]}" --audit "$(winpath "$WORK/edited.jsonl")" sync-time \
  >"$WORK/out" 2>"$WORK/err" </dev/null; rc=$?
[ "$rc" = 6 ] && grep -q 'audit file .*edited\.jsonl: its chain is broken at line 6 (prev is not the hash' "$WORK/err" \
  || fail "sync-time onto an edited copy: exit $rc, $(cat "$WORK/err")"
grep -q '^clock' "$WORK/edited.state" && fail "the camera's clock was set though the audit file's chain is broken"
# Every line stripped of seq and prev does not pass for lines from before the chain.
sed -E 's/^\{"seq":[0-9]+,"prev":"[0-9a-f]{64}",/{/' "$AUDIT" >"$WORK/stripped.jsonl"
verify "$WORK/stripped.jsonl"; rc=$?
[ "$rc" = 1 ] && grep -q "stripped\.jsonl:1: none of its $lines lines is chained" "$WORK/err" \
  || fail "verify of a stripped copy: exit $rc, $(cat "$WORK/err")"
verify "$WORK/missing.jsonl"; rc=$?
[ "$rc" = 2 ] && grep -q 'cannot read the audit file' "$WORK/err" || fail "verify of no file: exit $rc, $(cat "$WORK/err")"

# Half a line at the end: nothing is glued onto it, and the camera is left alone.
printf '{"seq":%d,"prev":"' $((lines + 1)) >>"$AUDIT"
cp "$AUDIT" "$WORK/before.jsonl"
printf 'admin_password = %s\n' "$ORVANE_PASSWORD" >"$WORK/half.state"
NVUSB_SIM_STATE=$(winpath "$WORK/half.state") "${TOOL[@]}" --audit "$(winpath "$AUDIT")" sync-time \
  >"$WORK/out" 2>"$WORK/err" </dev/null; rc=$?
[ "$rc" = 6 ] && grep -q "audit file .*audit\.jsonl: its chain is broken at line $((lines + 1)) (half a line" "$WORK/err" \
  || fail "sync-time onto half a line: exit $rc, $(cat "$WORK/err")"
cmp -s "$AUDIT" "$WORK/before.jsonl" || fail "a line was glued onto half a line: $(tail -c 300 "$AUDIT")"
grep -q '^clock' "$WORK/half.state" && fail "the camera's clock was set though the audit file cannot be continued"
verify "$AUDIT"; rc=$?
[ "$rc" = 1 ] && grep -Eq "audit\.jsonl:$((lines + 1)): half a line" "$WORK/err" \
  || fail "verify of half a line: exit $rc, $(cat "$WORK/err")"

# A file an earlier orvanectl wrote, without seq and prev: the chain
# continues its lines, counting them, instead of refusing it.
printf '{"time":"2026-12-01T08:00:00Z","action":"time.sync","outcome":"ok"}\n' >"$WORK/earlier.jsonl"
NVUSB_SIM_STATE=$(winpath "$WORK/half.state") "${TOOL[@]}" --audit "$(winpath "$WORK/earlier.jsonl")" sync-time \
  >"$WORK/out" 2>"$WORK/err" </dev/null || fail "sync-time onto an earlier audit file: $(cat "$WORK/err")"
verify "$WORK/earlier.jsonl" && grep -q 'earlier\.jsonl: 3 lines (the first 1 from before the chain' "$WORK/out" \
  || fail "verify of a continued earlier file: $(cat "$WORK/out" "$WORK/err")"
sed -n 2p "$WORK/earlier.jsonl" | grep -Eq '^\{"seq":2,"prev":"[0-9a-f]{64}","unchained_before":1,"time":' \
  || fail "the chain does not continue the earlier line: $(sed -n 2p "$WORK/earlier.jsonl")"
sed -n 3p "$WORK/earlier.jsonl" | grep -q 'unchained_before' && fail "a later line counts the earlier lines again"

[ "$fails" = 0 ] && echo "audit journey: $lines lines from two stations, chain whole"
[ "$fails" = 0 ]
