# The dock window's journeys under Wine: sourced after BIN, SIM and WINE are
# set. Gives WORK (removed at the end), DOCK (the simulated dock's cameras),
# AUDIT, orvanectl as TOOL with fail and the waits (ToolUnderTest.sh), the
# dock's session (dock-session.sh), and probe. At the end the dock is ended,
# a held file let go, and the dock's settings and presets removed.
WORK=$(mktemp -d)
DOCK=$WORK/cameras AUDIT=$WORK/audit.jsonl
fails=0
source "$(dirname "${BASH_SOURCE[0]}")/../cli/ToolUnderTest.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/sim-dock.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/dock-session.sh"
DOCK_WINE=$WINE
dock_journey_cleanup() {
  [ -n "${HOLD:-}" ] && kill "$HOLD" 2>/dev/null
  dock_end "$DOCK"
  dock_reset
  rm -rf "$WORK"
}
trap dock_journey_cleanup EXIT
unset NVUSB_SIM_STATE NVUSB_SIM_LOG NVUSB_SIM_FAULTS

# probe STEPS...: DockProbe.exe on the running dock; its rows in $WORK/rows.
# Every wait is bounded only to turn a hang into a failure.
probe() {
  "$WINE" "$BIN/DockProbe.exe" --timeout 120000 attach "$@" </dev/null >"$WORK/rows" 2>"$WORK/probe.err" && return 0
  fail "DockProbe $*: $(tr '\n' ' ' <"$WORK/probe.err")"
  return 1
}
