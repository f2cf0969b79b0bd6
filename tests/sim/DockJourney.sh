#!/usr/bin/env bash
# The simulated dock through scripts/lib/sim-dock.sh and the real orvanectl,
# natively and under Wine: the first camera plugged in and not in storage
# mode answers; storage mode hands over to the next; unplugging and plugging
# makes a camera a vendor device again; under Wine its card is a drive that
# goes when the camera is unplugged.
#   DockJourney.sh BIN_DIR SIM_DIR [WINE_LOADER]
set -u
BIN=$1 SIM=$2 WINE=${3:-}
WORK=$(mktemp -d)
DOCK=$WORK/dock
LETTER=
fails=0
source "$(dirname "$0")/../cli/ToolUnderTest.sh"
source "$(dirname "$0")/../../scripts/lib/sim-dock.sh"
trap '[ -n "$LETTER" ] && card_drive_unplug "$LETTER"; rm -rf "$WORK"' EXIT
unset NVUSB_SIM_STATE NVUSB_SIM_LOG NVUSB_SIM_FAULTS
export NVUSB_SIM_DOCK=$(winpath "$DOCK") ORVANE_PASSWORD=888888

# Serial number of the camera found, or "exit N" when there is none.
found() { "${TOOL[@]}" --no-audit serial get </dev/null 2>/dev/null | tr -d '\r'; local rc=${PIPESTATUS[0]}; [ "$rc" = 0 ] || echo "exit $rc"; }
expect_found() { local got; got=$(found); [ "$got" = "$1" ] || fail "$2: found '$got', expected '$1'"; }
storage() { "${TOOL[@]}" --no-audit usb-storage </dev/null >/dev/null 2>&1 || fail "usb-storage failed ($1)"; }

for name in a b c; do
  sim_dock_add "$DOCK" "cam-$name" "SIMDOCK-$name" "CAM-$name" "card_videos = 1 x 1000" "card_photos = 1 x 10" \
    "card_logs = 0 x 0" || fail "sim_dock_add cam-$name"
done
expect_found "exit 3" "nothing plugged"
sim_dock_plug "$DOCK" cam-b
sim_dock_plug "$DOCK" cam-a
expect_found SIMDOCK-a "a and b plugged"
storage "a"
expect_found SIMDOCK-b "a in storage mode"
[ -f "$DOCK/cam-a-card/DCIM/100MEDIA/VID_0001.MP4" ] || fail "storage mode made no card for a"
grep -q '^send 5 4 01000000 ok$' "$DOCK/cam-a.log" || fail "a's log lacks the storage mode"

if [ -n "$WINE" ]; then
  LETTER=$(sim_dock_card_drive "$DOCK" cam-a) || fail "no drive for a's card"
  listed=$(timeout 60 "$WINE" cmd /c dir /s /b "$LETTER:\\DCIM" </dev/null 2>/dev/null | tr -d '\r' | sed 's/^.*\\//' | sort | tr '\n' ' ')
  [ "$listed" = '100MEDIA IMG_0001.JPG VID_0001.MP4 ' ] || fail "drive $LETTER: lists '$listed'"
fi
sim_dock_unplug "$DOCK" cam-a || fail "sim_dock_unplug cam-a"
if [ -n "$LETTER" ]; then
  [ -L "$(card_drive_link "$LETTER")" ] && fail "drive $LETTER: still there after unplugging a"
  LETTER=
fi
expect_found SIMDOCK-b "a unplugged"
sim_dock_plug "$DOCK" cam-a
expect_found SIMDOCK-a "a plugged again"
[ -f "$DOCK/cam-a-card/DCIM/100MEDIA/VID_0001.MP4" ] || fail "unplugging touched a's card"

[ $fails = 0 ] && echo "dock: found in order, handed over in storage mode, reset by unplugging"
exit $((fails > 0))
