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
