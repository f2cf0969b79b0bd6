# The orvanectl under test, natively or through Wine, for the journeys.
# Sourced after BIN, SIM and WINE are set: gives TOOL (the command),
# winpath (a path as the tool takes it), puts the simulated camera on the
# library search path, and fail, which counts in $fails.

if [ -n "$WINE" ]; then
  TOOL=("$WINE" "$BIN/orvanectl.exe")
  winpath() { local p=${1//\//\\}; echo "Z:$p"; }
  export WINEPATH="Z:$SIM"
else
  TOOL=("$BIN/orvanectl")
  winpath() { echo "$1"; }
  export LD_LIBRARY_PATH="$SIM"
fi

fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

# Waiting for an event, never for a time: up to 30 s, then a loud failure.
until_true() {  # until_true WHAT COMMAND...
  local what=$1 i; shift
  for i in $(seq 300); do "$@" && return 0; sleep 0.1; done
  fail "timed out waiting for $what"; return 1
}
lines() { [ "$(cat "$1" 2>/dev/null | grep -Ec -- "$2")" -ge "${3:-1}" ]; }  # lines FILE PATTERN [COUNT]
wait_for() { until_true "/$2/ in $1" lines "$@"; }  # wait_for FILE PATTERN [COUNT]

# hold FILE: FILE becomes a pipe listed as 0 bytes (so copied last): a
# program reading it waits, under Wine too (which opens files in its server,
# where a lease fails the open at once) and only its reading thread waits.
# held: some program other than the holder has it open. let_go gives it one
# byte the listing did not have, as a card pulled out would, and its end.
hold() {
  rm -f "$1" && mkfifo "$1" || { fail "cannot make the pipe $1"; return 1; }
  HOLD_FILE=$1
  (exec 3<>"$1"; exec sleep 100000) &
  HOLD=$!
}
held() { find /proc/[0-9]*/fd -lname "$HOLD_FILE" 2>/dev/null | grep -v "^/proc/$HOLD/" | grep -q .; }
let_go() { printf x >"$HOLD_FILE"; kill "$HOLD"; wait "$HOLD" 2>/dev/null; HOLD=; }
