#!/usr/bin/env bash
# Under Wine: a camera switched to storage mode by orvanectl.exe has its card
# made; plugged with scripts/lib/card-drive.sh it is a drive whose files a
# Windows program lists; unplugged, the drive is gone.
#   CardDrive.sh ORVANECTL_EXE SIM_DIR WINE_LOADER
set -u
TOOL=$1 SIM=$2 WINE=$3
source "$(dirname "$0")/../../scripts/lib/card-drive.sh"
WORK=$(mktemp -d)
LETTER=
trap '[ -n "$LETTER" ] && card_drive_unplug "$LETTER"; rm -rf "$WORK"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
# Bounded: a drive plugged wrongly (a link inside the card) makes a listing endless.
win() { timeout 60 "$WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

printf 'card_videos = 1 x 1000\ncard_photos = 1 x 10\ncard_logs = 0 x 0\n' >"$WORK/state.txt"
WINEPATH="Z:$SIM" NVUSB_SIM_STATE="Z:${WORK//\//\\}\\state.txt" ORVANE_PASSWORD=888888 \
  "$WINE" "$TOOL" --no-audit usb-storage </dev/null >/dev/null 2>&1 || fail "usb-storage failed"

LETTER=$(card_drive_plug_free "$WORK/card") || fail "no drive plugged"
if [ -n "$LETTER" ] && card_drive_plug "$LETTER" "$WORK" 2>/dev/null; then fail "drive $LETTER: plugged twice"; fi
listed=$(win cmd /c dir /s /b "$LETTER:\\" | sed 's/^[A-Za-z]:\\//' | sort | tr '\n' ' ')
[ "$listed" = 'DCIM DCIM\100MEDIA DCIM\100MEDIA\IMG_0001.JPG DCIM\100MEDIA\VID_0001.MP4 ' ] \
  || fail "drive $LETTER: lists '$listed'"

card_drive_unplug "$LETTER" || fail "unplug failed"
gone=$(win cmd /c "if exist $LETTER:\\DCIM (echo present) else (echo absent)")
[ "$gone" = absent ] || fail "drive $LETTER: still there after unplugging: $gone"
[ -f "$WORK/card/DCIM/100MEDIA/VID_0001.MP4" ] || fail "unplugging touched the card"
LETTER=
[ $fails = 0 ] && echo "card drive: plugged, listed, unplugged"
exit $((fails > 0))
