#!/usr/bin/env bash
# Drives the real orvanectl against the simulated camera: a table of
# commands with their exit codes and output, then the journeys of an
# administrator (identity read-back, a fleet provisioned with --watch while
# cameras come and go, a camera vanishing mid-way, bad fleet files, the
# audit trail), and last a search for the password in everything written.
#   CliJourneys.sh BIN_DIR SIM_DIR [WINE_LOADER]
set -u
BIN=$1 SIM=$2 WINE=${3:-}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fails=0 checks=0
PASSWORD=Zq7Kx9 NEW_PASSWORD=Nw4Pq8

if [ -n "$WINE" ]; then
  TOOL=("$WINE" "$BIN/orvanectl.exe")
  winpath() { local p=${1//\//\\}; echo "Z:$p"; }
  export WINEPATH="Z:$SIM"
  NO_VENDOR=(env WINEPATH="Z:$WORK")  # a folder without the vendor library
else
  TOOL=("$BIN/orvanectl")
  winpath() { echo "$1"; }
  export LD_LIBRARY_PATH="$SIM"
  NO_VENDOR=(env LD_LIBRARY_PATH="$WORK")
fi
STATE=$WORK/state.txt LOG=$WORK/sim-log.txt AUDIT=$WORK/audit.jsonl
export NVUSB_SIM_STATE=$(winpath "$STATE") NVUSB_SIM_LOG=$(winpath "$LOG")
export ORVANE_PASSWORD=$PASSWORD
unset NVUSB_SIM_FAULTS ORVANE_NEW_PASSWORD
A=(--audit "$(winpath "$AUDIT")")

fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

# The camera's serial number as the state file keeps it: 21 bytes in hex.
serial_hex() { local h; h=$(printf '%s' "$1" | od -An -tx1 | tr -d ' \n'); printf '%-42s' "$h" | tr ' ' 0; }
set_state() {
  { grep -v "^$1 *=" "$STATE" 2>/dev/null; echo "$1 = $2"; } >"$STATE.new"
  mv "$STATE.new" "$STATE"
}
fresh_camera() { printf 'admin_password = %s\n' "$PASSWORD" >"$STATE"; rm -f "$LOG"; }
log_lines() { [ -f "$LOG" ] && wc -l <"$LOG" || echo 0; }

# expect RC STDOUT_REGEX STDERR_REGEX ARGS...: one run, its exit code and
# output (an empty STDOUT_REGEX: no output). A usage error (2) must not have
# touched the camera. PRE, when set, is a command the tool runs under.
PRE=()
expect() {
  local rc=$1 out_re=$2 err_re=$3; shift 3
  local before; before=$(log_lines)
  "${PRE[@]}" "${TOOL[@]}" "$@" >"$WORK/out" 2>"$WORK/err" </dev/null
  local got=$?
  checks=$((checks + 1))
  cat "$WORK/out" "$WORK/err" >>"$WORK/everything"
  local what="orvanectl $*"
  [ "$got" = "$rc" ] || fail "$what: exit $got, expected $rc; stderr: $(head -c 300 "$WORK/err")"
  [ -z "$out_re" ] && [ -s "$WORK/out" ] && fail "$what: unexpected output: $(head -c 300 "$WORK/out")"
  [ -n "$out_re" ] && ! grep -Eq -- "$out_re" "$WORK/out" && fail "$what: output $(head -c 300 "$WORK/out") !~ $out_re"
  [ -n "$err_re" ] && ! grep -Eq -- "$err_re" "$WORK/err" && fail "$what: stderr $(head -c 300 "$WORK/err") !~ $err_re"
  [ "$rc" = 2 ] && [ "$(log_lines)" != "$before" ] && fail "$what: a usage error reached the camera"
  return 0
}

# ---- commands, one row each
fresh_camera
F=$(winpath "$WORK/missing.csv")
expect 0 'provision +give cameras' '' --help
expect 0 '^orvanectl [0-9.]+' '' --version
expect 2 '' 'not expected' status --bogus
expect 2 '' 'subcommand' --json
expect 2 '' 'at least one field' identity set
expect 2 '' 'camera_id "CAM42" must be exactly 7' identity set --camera-id CAM42
expect 2 '' 'camera_id "CAM-042"' identity set --camera-id CAM-042
expect 2 '' 'user_id "0042170" must be exactly 6' identity set --user-id 0042170
expect 2 '' 'user_name .* at most 16 characters and 32 bytes' identity set --user-name "一二三四五六七八九十一"
expect 2 '' 'department_name "Patrol\\nNorth" .*without line breaks' identity set --department-name $'Patrol\nNorth'
expect 2 '' 'at most 12' identity set --department-id D1234567890123
expect 2 '' '1 to 20 printable' serial set 123456789012345678901
expect 2 '' 'confirm with --yes' format
expect 2 '' 'administrator password cannot' --user password set admin
: >"$WORK/empty"
expect 2 '' 'exactly 6 letters' password set user --new-password-file "$(winpath "$WORK/empty")"
expect 2 '' 'cannot read the password file' --password-file "$F" status
PRE=(env -u ORVANE_PASSWORD); expect 2 '' 'no password' status; PRE=()
expect 2 '' 'excludes|--no-audit' --audit "$F" --no-audit sync-time
expect 2 '' 'cannot read the fleet file' provision "$F"
expect 2 '' 'requires --watch' provision "$F" --count 2
expect 0 '^serial=SIM00000000000000001 resolution=1920x1080 battery=85% camera_id=CAM0001 user_id=000001 user_name="" department_id=D01 department_name=""$' '' status
expect 0 '^\{"serial":"SIM00000000000000001","resolution":\{"width":1920,"height":1080\},"battery":85,"identity":\{"camera_id":"CAM0001","user_id":"000001","user_name":"","department_id":"D01","department_name":""\}\}$' '' --json status
expect 0 '^camera_id=CAM0001 user_id=000001' '' identity get
expect 0 '^SIM00000000000000001$' '' serial get
expect 0 '^\{"serial":"SIM00000000000000001","action":"time.sync","outcome":"ok"\}$' '' --json "${A[@]}" sync-time
expect 0 'USB storage' '' "${A[@]}" usb-storage
expect 0 'formatted' '' "${A[@]}" format --yes
set_state faults format_verdict=5
expect 1 '' 'the camera refused: format' "${A[@]}" format --yes
set_state faults ""
expect 4 '' 'refused the sign-in' --user status
expect 0 '^camera_id=CAM0001' '' --no-audit identity get --verbose
grep -q 'client_login type Successful' "$WORK/err" || fail "--verbose: no trace on standard error"
grep -q 'Successful' "$WORK/out" && fail "--verbose: trace mixed into the output"
expect 0 '^camera_id=CAM0001' '' identity get
grep -q 'Successful' "$WORK/out" "$WORK/err" && fail "without --verbose the trace must go nowhere"
PRE=("${NO_VENDOR[@]}"); expect 3 '' 'USB library' status; PRE=()
printf 'serial,camera_id,user_id,user_name,department_id,department_name\nS1,CAM0001,000001,,,\n' >"$WORK/one.csv"
PRE=("${NO_VENDOR[@]}"); expect 3 '' 'USB library' "${A[@]}" provision "$(winpath "$WORK/one.csv")" --watch; PRE=()
set_state present 0
expect 3 '' 'no camera found' status
set_state present 1
NVUSB_SIM_FAULTS=fail=3 expect 1 '' 'could not read the identity record' "${A[@]}" identity set --user-id 000777
expect 0 '^SIM-NEW-7$' '' "${A[@]}" serial set SIM-NEW-7
expect 0 '^SIM-NEW-7$' '' serial get
ORVANE_NEW_PASSWORD=$NEW_PASSWORD expect 0 'password changed' '' "${A[@]}" password set user
ORVANE_PASSWORD=$NEW_PASSWORD expect 0 '^camera_id=' '' --user identity get
grep -q '^clock' "$STATE" || fail "sync-time left no clock on the camera"
# Formatted twice: once answered done, once answered 5 (refused).
grep -q '^format_count = 2' "$STATE" || fail "format --yes did not reach the camera: $(grep format_count "$STATE")"
grep -q '^storage_mode_count = 1' "$STATE" || fail "usb-storage did not reach the camera"

# ---- journey: identity set changes only the fields given, and reads back
fresh_camera
expect 0 '"camera_id":"CAM0042","user_id":"004217","user_name":"Анна Петрова","department_id":"D01","department_name":""' '' \
  --json "${A[@]}" identity set --camera-id CAM0042 --user-id 004217 --user-name "Анна Петрова"
expect 0 '"camera_id":"CAM0042","user_id":"004217","user_name":"Анна Петрова","department_id":"D07","department_name":"Traffic, North"' '' \
  --json "${A[@]}" identity set --department-id D07 --department-name "Traffic, North"
expect 0 '^camera_id=CAM0042 user_id=004217 user_name="Анна Петрова" department_id=D07 department_name="Traffic, North"$' '' identity get

# ---- journey: a fleet provisioned with --watch while cameras come and go
printf '\xEF\xBB\xBFuser_name,serial,camera_id,user_id,department_id,department_name\r\n"Lind, Anna",SN-A1,CAM0101,000101,D07,"Traffic ""North"""\r\nBo,SN-B2,CAM0102,000102,,\r\nCy,SN-C3,CAM0103,000103,D08,Harbour\r\n' >"$WORK/fleet.csv"
FLEET=$(winpath "$WORK/fleet.csv")
wait_for() {  # wait_for FILE PATTERN: up to 30 s
  local i; for i in $(seq 300); do grep -Eq -- "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
  fail "timed out waiting for /$2/ in $(basename "$1")"; return 1
}
plug() { set_state present 0; sleep 0.3; set_state serial_number "$(serial_hex "$1")"; set_state present 1; }
fresh_camera
set_state serial_number "$(serial_hex SN-A1)"
"${TOOL[@]}" "${A[@]}" provision "$FLEET" --watch --count 3 --interval-ms 50 >"$WORK/watch.out" 2>"$WORK/watch.err" </dev/null &
station=$!
wait_for "$WORK/watch.out" '^SN-A1 CAM0101 ok$' && plug SN-ZZ9
wait_for "$WORK/watch.out" '^SN-ZZ9 - failed at lookup: serial number not in the fleet file$' && plug SN-C3
wait "$station"; rc=$?
checks=$((checks + 1)); cat "$WORK/watch.out" "$WORK/watch.err" >>"$WORK/everything"
[ "$rc" = 5 ] || fail "watch: exit $rc, expected 5 (one camera not in the fleet file)"
tail -1 "$WORK/watch.out" | grep -qx '2 provisioned, 1 failed' || fail "watch summary: $(tail -1 "$WORK/watch.out")"
grep -qx 'SN-C3 CAM0103 ok' "$WORK/watch.out" || fail "watch: SN-C3 not provisioned: $(cat "$WORK/watch.out")"
expect 0 '^camera_id=CAM0103 user_id=000103 user_name="Cy" department_id=D08 department_name="Harbour"$' '' identity get
[ "$(grep -c '"action":"provision"' "$AUDIT")" = 3 ] || fail "audit: not one provision line per camera"
grep -q '"serial":"SN-A1","action":"provision","outcome":"ok","before":{"camera_id":"CAM0001".*"after":{"camera_id":"CAM0101","user_id":"000101","user_name":"Lind, Anna","department_id":"D07","department_name":"Traffic \\"North\\""}' "$AUDIT" \
  || fail "audit: SN-A1's line lacks its before and after: $(head -1 "$AUDIT")"

# ---- journey: a camera vanishes mid-provision, the station goes on
fresh_camera
set_state serial_number "$(serial_hex SN-A1)"
NVUSB_SIM_FAULTS=delay_ms=300 "${TOOL[@]}" --no-audit provision "$FLEET" --watch --count 2 --interval-ms 50 \
  >"$WORK/vanish.out" 2>"$WORK/vanish.err" </dev/null &
station=$!
# Each transfer rereads the state file, then takes its 300 ms; a send that
# changes the camera writes the file back. Unplugged during the identity
# read, after the clock's send, the camera is gone for the identity write.
wait_for "$LOG" '^send 4 ' && set_state present 0
wait_for "$WORK/vanish.out" '^SN-A1 CAM0101 failed at identity\.(write|verify)' && { sleep 0.3; set_state serial_number "$(serial_hex SN-B2)"; set_state present 1; }
wait "$station"; rc=$?
checks=$((checks + 1)); cat "$WORK/vanish.out" "$WORK/vanish.err" >>"$WORK/everything"
[ "$rc" = 1 ] || fail "vanishing camera: exit $rc, expected 1"
grep -qx 'SN-B2 CAM0102 ok' "$WORK/vanish.out" || fail "the station did not go on: $(cat "$WORK/vanish.out")"
tail -1 "$WORK/vanish.out" | grep -qx '1 provisioned, 1 failed' || fail "vanish summary: $(tail -1 "$WORK/vanish.out")"

# ---- journey: one camera without --watch, its exit codes
fresh_camera
expect 5 '^SIM00000000000000001 - failed at lookup' '' "${A[@]}" provision "$FLEET"
set_state serial_number "$(serial_hex SN-B2)"
expect 0 '^\{"serial":"SN-B2","camera_id":"CAM0102","outcome":"ok"\}$' '' --json "${A[@]}" provision "$FLEET" --no-sync-time
grep -q '^clock' "$STATE" && fail "--no-sync-time set the clock"
ORVANE_PASSWORD=000000 expect 4 'failed at sign-in' '' "${A[@]}" provision "$FLEET"

# ---- bad fleet files: each reported as FILE:LINE: what, no camera touched
H='serial,camera_id,user_id,user_name,department_id,department_name'
bad_fleet() {  # bad_fleet CONTENT STDERR_REGEX
  printf '%s' "$1" >"$WORK/bad.csv"
  expect 2 '' "bad\.csv:$2" "${A[@]}" provision "$(winpath "$WORK/bad.csv")"
}
bad_fleet "$H,site"$'\n' '1: unknown column "site"'
bad_fleet 'serial,camera_id'$'\n' '1: missing column "user_id"'
bad_fleet "$H"$'\nS1,CAM0001,000001,,,\nS1,CAM0002,000002,,,\n' '3: serial number S1 is already on line 2'
bad_fleet "$H"$'\n,CAM0001,000001,,,\n' '2: no serial number'
bad_fleet "$H"$'\nS1,CAM01,000001,,,\n' '2: camera_id "CAM01" must be exactly 7'
bad_fleet "$H"$'\nS1,CAM0001,000001,\xff,,\n' '2: user_name is not valid UTF-8'
bad_fleet "$H"$'\nS1,"CAM0001,000001,,,\n' '2: a quoted field is not closed'

# ---- the audit file: whole lines, the keys, the default place
checks=$((checks + 1))
while IFS= read -r line; do
  for key in time computer user tool serial action outcome; do
    echo "$line" | grep -q "\"$key\":" || fail "audit line without $key: $line"
  done
  echo "$line" | grep -Eq '"time":"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z"' || fail "audit time: $line"
done <"$AUDIT"
[ "$(tail -c 1 "$AUDIT" | od -An -c | tr -d ' ')" = '\n' ] || fail "the audit file does not end with a whole line"
for action in time.sync usb-storage format serial.set password.set.user identity.set provision; do
  grep -q "\"action\":\"$action\"" "$AUDIT" || fail "no audit line for $action"
done
if [ -z "$WINE" ]; then
  mkdir -p "$WORK/local"
  DEFAULT_AUDIT=$WORK/local/Kestrava/orvanectl-audit.jsonl
  export LOCALAPPDATA=$WORK/local
else  # Wine sets %LOCALAPPDATA% from its prefix
  DEFAULT_AUDIT=$(ls "${WINEPREFIX:-$HOME/.wine}"/drive_c/users/*/AppData/Local/Kestrava/orvanectl-audit.jsonl 2>/dev/null | head -1)
fi
audited() {
  if [ -n "$DEFAULT_AUDIT" ] && [ -f "$DEFAULT_AUDIT" ]; then grep -c '"action":"time.sync"' "$DEFAULT_AUDIT"; else echo 0; fi
}
before=$(audited)
expect 0 'clock set' '' sync-time
[ -z "$WINE" ] || DEFAULT_AUDIT=$(ls "${WINEPREFIX:-$HOME/.wine}"/drive_c/users/*/AppData/Local/Kestrava/orvanectl-audit.jsonl 2>/dev/null | head -1)
[ "$(audited)" -gt "$before" ] || fail "no audit line in the default place ($DEFAULT_AUDIT)"
unset LOCALAPPDATA

# ---- Ctrl+C: a waiting station stops at once, a busy one finishes its camera
# (natively: Wine hands a signal to a console-less program as no Ctrl+C).
if [ -z "$WINE" ]; then
  fresh_camera; set_state present 0
  "${TOOL[@]}" --no-audit provision "$FLEET" --watch --interval-ms 50 >"$WORK/int.out" 2>&1 </dev/null &
  station=$!; sleep 0.5; kill -INT $station; wait $station; rc=$?
  checks=$((checks + 1))
  [ "$rc" = 0 ] && grep -qx '0 provisioned, 0 failed' "$WORK/int.out" || fail "Ctrl+C while waiting: exit $rc, $(cat "$WORK/int.out")"
  set_state present 1; set_state serial_number "$(serial_hex SN-C3)"
  NVUSB_SIM_FAULTS=delay_ms=100 "${TOOL[@]}" --no-audit provision "$FLEET" --watch --interval-ms 50 >"$WORK/int.out" 2>&1 </dev/null &
  station=$!; wait_for "$LOG" '^send 2 '; kill -INT $station; wait $station; rc=$?
  checks=$((checks + 1))
  [ "$rc" = 0 ] && [ "$(cat "$WORK/int.out")" = $'SN-C3 CAM0103 ok\n1 provisioned, 0 failed' ] \
    || fail "Ctrl+C mid-camera: exit $rc, $(cat "$WORK/int.out")"
fi

# ---- no password anywhere: output, errors, traces, audit
checks=$((checks + 1))
for secret in "$PASSWORD" "$NEW_PASSWORD" "$(printf '%s' "$PASSWORD" | od -An -tx1 | tr -d ' \n')"; do
  grep -rlF -- "$secret" "$WORK/everything" "$AUDIT" && fail "a password ($secret) was written where it must not be"
done

echo "$checks checks, $fails failed"
[ "$fails" = 0 ]
