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
