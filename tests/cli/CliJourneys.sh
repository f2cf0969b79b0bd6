#!/usr/bin/env bash
# Drives the real orvanectl against the simulated camera: one journey of an
# administrator for each exit code, natively and under Wine, and last a
# search for the password in everything written. The rules behind each
# journey are tables in process (orvanectl_tests).
#   CliJourneys.sh BIN_DIR SIM_DIR [WINE_LOADER]
set -u
BIN=$1 SIM=$2 WINE=${3:-}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fails=0 checks=0
PASSWORD=Zq7Kx9 NEW_PASSWORD=Nw4Pq8

source "$(dirname "$0")/ToolUnderTest.sh"
# A folder without the vendor library.
if [ -n "$WINE" ]; then NO_VENDOR=(env WINEPATH="Z:$WORK"); else NO_VENDOR=(env LD_LIBRARY_PATH="$WORK"); fi
STATE=$WORK/state.txt LOG=$WORK/sim-log.txt AUDIT=$WORK/audit.jsonl
export NVUSB_SIM_STATE=$(winpath "$STATE") NVUSB_SIM_LOG=$(winpath "$LOG")
export ORVANE_PASSWORD=$PASSWORD
unset NVUSB_SIM_FAULTS ORVANE_NEW_PASSWORD
A=(--audit "$(winpath "$AUDIT")")


# The camera's serial number as the state file keeps it: 21 bytes in hex.
serial_hex() { local h; h=$(printf '%s' "$1" | od -An -tx1 | tr -d ' \n'); printf '%-42s' "$h" | tr ' ' 0; }
set_state() {
  { grep -v "^$1 *=" "$STATE" 2>/dev/null; echo "$1 = $2"; } >"$STATE.new"
  mv "$STATE.new" "$STATE"
}
fresh_camera() { printf 'admin_password = %s\n' "$PASSWORD" >"$STATE"; rm -f "$LOG"; }
log_lines() { [ -f "$LOG" ] && wc -l <"$LOG" || echo 0; }
# "action:outcome" of each audit line, in order.
audited() { sed -n 's/.*"action":"\([^"]*\)","outcome":"\([^"]*\)".*/\1:\2/p' "$1" | tr '\n' ' '; }

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

# ---- 0: an administrator sets a camera up; every change is audited before
# and after it is made
fresh_camera
expect 0 'provision +give cameras' '' --help
grep -q '6 the audit file could not be written' "$WORK/out" || fail "--help does not name exit code 6"
expect 0 '^orvanectl [0-9.]+' '' --version
expect 0 '"camera_id":"CAM0042","user_id":"000001","user_name":"Анна Петрова","department_id":"D01","department_name":""' '' \
  --json "${A[@]}" identity set --camera-id CAM0042 --user-name "Анна Петрова"
expect 0 '^camera_id=CAM0042 user_id=000001 user_name="Анна Петрова" department_id=D01 department_name=""$' '' \
  --verbose identity get
grep -q 'client_login type Successful' "$WORK/err" || fail "--verbose: no trace on standard error"
grep -q 'Successful' "$WORK/out" && fail "--verbose: trace mixed into the output"
expect 0 '^SIM-NEW-7$' '' "${A[@]}" serial set SIM-NEW-7
ORVANE_NEW_PASSWORD=$NEW_PASSWORD expect 0 '^changed and confirmed$' '' "${A[@]}" password set user
ORVANE_PASSWORD=$NEW_PASSWORD expect 0 '^serial=SIM-NEW-7 resolution=1920x1080 battery=85% camera_id=CAM0042' '' --user status
[ "$(audited "$AUDIT")" = 'identity.set:started identity.set:ok serial.set:started serial.set:ok password.set.user:started password.set.user:ok ' ] \
  || fail "audit: $(audited "$AUDIT")"
[ "$(tail -c 1 "$AUDIT" | od -An -c | tr -d ' ')" = '\n' ] || fail "the audit file does not end with a whole line"
# Without --audit the trail goes to its default place.
if [ -z "$WINE" ]; then
  DEFAULT_AUDIT=$WORK/local/Kestrava/orvanectl-audit.jsonl
  mkdir -p "$WORK/local"
  PRE=(env LOCALAPPDATA="$WORK/local")
else  # Wine sets %LOCALAPPDATA% from its prefix
  DEFAULT_AUDIT=$(ls "${WINEPREFIX:-$HOME/.wine}"/drive_c/users/*/AppData/Local/Kestrava/orvanectl-audit.jsonl 2>/dev/null | head -1)
fi
syncs() { if [ -n "$DEFAULT_AUDIT" ] && [ -f "$DEFAULT_AUDIT" ]; then grep -c '"action":"time.sync","outcome":"ok"' "$DEFAULT_AUDIT"; else echo 0; fi; }
before=$(syncs)
expect 0 'clock set' '' sync-time
PRE=()
[ -z "$WINE" ] || DEFAULT_AUDIT=$(ls "${WINEPREFIX:-$HOME/.wine}"/drive_c/users/*/AppData/Local/Kestrava/orvanectl-audit.jsonl 2>/dev/null | head -1)
[ "$(syncs)" -gt "$before" ] || fail "no audit line in the default place ($DEFAULT_AUDIT)"
grep -q '^clock' "$STATE" || fail "sync-time left no clock on the camera"

# ---- 1: the camera refuses a format
fresh_camera; : >"$AUDIT"
set_state format_verdict 5
expect 1 '' 'the camera refused: format' "${A[@]}" format --yes
[ "$(audited "$AUDIT")" = 'format:started format:failed ' ] || fail "format audit: $(audited "$AUDIT")"

# ---- 2: input errors, each before any camera is touched
H='serial,camera_id,user_id,user_name,department_id,department_name'
printf '%s\nS1,CAM01,000001,,,\n' "$H" >"$WORK/bad.csv"
expect 2 '' 'bad\.csv:2: camera_id "CAM01" must be exactly 7' "${A[@]}" provision "$(winpath "$WORK/bad.csv")"
mkdir -p "$WORK/folder"
expect 2 '' 'is a folder' --password-file "$(winpath "$WORK/folder")" status

# ---- 3: no vendor library, none from the current folder, and a camera that
# refuses the connection
PRE=("${NO_VENDOR[@]}"); expect 3 '' 'USB library' status; PRE=()
if [ -n "$WINE" ]; then
  mkdir -p "$WORK/planted" && cp "$SIM/NvUSB.dll" "$WORK/planted/"
  PRE=(env -C "$WORK/planted" WINEPATH="Z:$WORK/folder"); expect 3 '' 'USB library' status; PRE=()
fi
fresh_camera
NVUSB_SIM_FAULTS=connect_refused expect 3 '' 'the camera did not accept the connection' "${A[@]}" sync-time
[ "$(log_lines)" = 0 ] || fail "after a refused connection the camera was sent: $(cat "$LOG")"

# ---- 4: a wrong password
printf '%s\nSIM00000000000000001,CAM0101,000101,,,\n' "$H" >"$WORK/one.csv"
ORVANE_PASSWORD=000000 expect 4 'failed at sign-in' '' "${A[@]}" provision "$(winpath "$WORK/one.csv")"

# ---- 5: a fleet provisioned with --watch while cameras come and go, one of
# them not in the fleet file
printf '\xEF\xBB\xBFuser_name,serial,camera_id,user_id,department_id,department_name\r\n"Lind, Anna",SN-A1,CAM0101,000101,D07,"Traffic ""North"""\r\nBo,SN-B2,CAM0102,000102,,\r\nCy,SN-C3,CAM0103,000103,D08,Harbour\r\n' >"$WORK/fleet.csv"
FLEET=$(winpath "$WORK/fleet.csv")
NO_DEVICE='No Device is Existing'  # the trace of a look that found no camera
# plug SERIAL: the camera in hand is unplugged until the station has seen it
# gone, then the next is plugged in.
plug() {
  local seen; seen=$(grep -c "$NO_DEVICE" "$WORK/watch.err")
  set_state present 0
  wait_for "$WORK/watch.err" "$NO_DEVICE" $((seen + 1)) || return 1
  set_state serial_number "$(serial_hex "$1")"; set_state present 1
}
fresh_camera; : >"$AUDIT"
set_state serial_number "$(serial_hex SN-A1)"
"${TOOL[@]}" "${A[@]}" --verbose provision "$FLEET" --watch --count 3 --interval-ms 50 >"$WORK/watch.out" 2>"$WORK/watch.err" </dev/null &
station=$!
wait_for "$WORK/watch.out" '^SN-A1 CAM0101 ok$' && plug SN-ZZ9 \
  && wait_for "$WORK/watch.out" '^SN-ZZ9 - failed at lookup: serial number not in the fleet file$' && plug SN-C3 \
  || kill -KILL "$station"  # it would wait for its third camera for ever
wait "$station"; rc=$?
checks=$((checks + 1)); cat "$WORK/watch.out" "$WORK/watch.err" >>"$WORK/everything"
[ "$rc" = 5 ] || fail "watch: exit $rc, expected 5 (one camera not in the fleet file)"
tail -1 "$WORK/watch.out" | grep -qx '2 provisioned, 1 failed' || fail "watch summary: $(tail -1 "$WORK/watch.out")"
grep -qx 'SN-C3 CAM0103 ok' "$WORK/watch.out" || fail "watch: SN-C3 not provisioned: $(cat "$WORK/watch.out")"
expect 0 '^camera_id=CAM0103 user_id=000103 user_name="Cy" department_id=D08 department_name="Harbour"$' '' identity get
[ "$(audited "$AUDIT")" = 'provision:started provision:ok provision:failed at lookup: serial number not in the fleet file provision:started provision:ok ' ] \
  || fail "watch audit: $(audited "$AUDIT")"
grep -q '"serial":"SN-A1","action":"provision","outcome":"ok","before":{"camera_id":"CAM0001".*"after":{"camera_id":"CAM0101","user_id":"000101","user_name":"Lind, Anna","department_id":"D07","department_name":"Traffic \\"North\\""}' "$AUDIT" \
  || fail "audit: SN-A1's line lacks its before and after: $(grep SN-A1 "$AUDIT")"

# ---- 6: the audit file cannot be written: nothing is changed
fresh_camera
expect 6 '' 'cannot write the audit file .*folder.*; nothing was changed' --audit "$(winpath "$WORK/folder")" sync-time
grep -qs '^send 4 ' "$LOG" && fail "the clock was set without an audit line"

# ---- Ctrl+C: a waiting station stops at once, a busy one finishes its camera
# (natively: Wine hands a signal to a console-less program as no Ctrl+C).
# Each is sent on an event: the station's first look that found no camera
# (its handler is in place by then), and the camera's sign-in, after which
# the camera must still be written for the check to prove anything.
if [ -z "$WINE" ]; then
  fresh_camera; set_state present 0
  "${TOOL[@]}" --verbose --no-audit provision "$FLEET" --watch --interval-ms 50 >"$WORK/int.out" 2>"$WORK/int.err" </dev/null &
  station=$!; wait_for "$WORK/int.err" "$NO_DEVICE"; kill -INT $station
  wait_for "$WORK/int.out" 'provisioned' || kill -KILL $station
  wait $station; rc=$?
  checks=$((checks + 1))
  [ "$rc" = 0 ] && [ "$(cat "$WORK/int.out")" = '0 provisioned, 0 failed' ] \
    || fail "Ctrl+C while waiting: exit $rc, $(cat "$WORK/int.out" "$WORK/int.err")"
  set_state present 1; set_state serial_number "$(serial_hex SN-C3)"
  NVUSB_SIM_FAULTS=delay_ms=200 "${TOOL[@]}" --no-audit provision "$FLEET" --watch --interval-ms 50 >"$WORK/int.out" 2>&1 </dev/null &
  station=$!; wait_for "$LOG" '^send 2 '; kill -INT $station; sent=$(log_lines); wait $station; rc=$?
  checks=$((checks + 1))
  [ "$rc" = 0 ] && [ "$(cat "$WORK/int.out")" = $'SN-C3 CAM0103 ok\n1 provisioned, 0 failed' ] \
    || fail "Ctrl+C mid-camera: exit $rc, $(cat "$WORK/int.out")"
  tail -n +$((sent + 1)) "$LOG" | grep -q '^send 3 ' \
    || fail "Ctrl+C mid-camera came after the identity was written: the check proves nothing"
fi

# ---- no password anywhere: output, errors, traces, audit
checks=$((checks + 1))
for secret in "$PASSWORD" "$NEW_PASSWORD" "$(printf '%s' "$PASSWORD" | od -An -tx1 | tr -d ' \n')"; do
  grep -rlF -- "$secret" "$WORK/everything" "$AUDIT" && fail "a password ($secret) was written where it must not be"
done

echo "$checks checks, $fails failed"
[ "$fails" = 0 ]
