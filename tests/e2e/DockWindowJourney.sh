#!/usr/bin/env bash
# The dock window end to end under Wine, against the simulated dock, worked
# from outside by DockProbe.exe as an operator would, the archive and audit
# file preset as IT would, the password typed in the first-start settings:
#   - three cameras plugged one after another: three rows saying safe to
#     unplug, three valid bags, one whole audit chain;
#   - a camera pulled mid-copy: its row says to plug it in again; plugged
#     in again, it resumes into one valid bag;
#   - the window closed mid-copy: it asks, keeps its window until the copy
#     has stopped with its outcome line written, a .partial stays, and the
#     next start resumes it into one valid bag.
# Each check is orvanectl's (archive verify --audit-trail, audit verify).
#   DockWindowJourney.sh BIN_DIR SIM_DIR WINE_LOADER
# To hold a copy at a known point, the card's last file is a pipe
# (ToolUnderTest.sh's hold): the copy waits there, with everything before
# it verified, until the test lets it go with a byte the card did not list,
# the way a card pulled out reads.
set -u
BIN=$1 SIM=$2 WINE=$3
source "$(dirname "$0")/DockJourney.sh"
ARCHIVE=$WORK/archive
serial() { printf 'SIMDOCK%013d' "$1"; }
# camera N: camera cam-N, unplugged, with a card of recordings; its last
# in the copy's order (largest first), MISC/LOG_0002.TXT, is empty.
camera() {
  local card=$DOCK/cam-$1-card
  sim_dock_add "$DOCK" "cam-$1" "$(serial "$1")" "CAM000$1" || fail "sim_dock_add cam-$1"
  mkdir -p "$card/DCIM/100MEDIA" "$card/MISC"
  head -c 2000000 /dev/urandom >"$card/DCIM/100MEDIA/VID_0001.MP4"
  head -c 1500000 /dev/urandom >"$card/DCIM/100MEDIA/VID_0002.MP4"
  head -c 300000 /dev/urandom >"$card/DCIM/100MEDIA/IMG_0001.JPG"
  echo "camera $1" >"$card/MISC/LOG_0001.TXT"
  : >"$card/MISC/LOG_0002.TXT"
}
# hold_last N: the copy of camera N's card waits at its last file.
hold_last() { hold "$DOCK/cam-$1-card/MISC/LOG_0002.TXT"; }
# The card as it was: the last file empty again.
unhold_last() { rm -f "$DOCK/cam-$1-card/MISC/LOG_0002.TXT" && : >"$DOCK/cam-$1-card/MISC/LOG_0002.TXT"; }
bags() { find "$ARCHIVE/$(serial "$1")" -mindepth 1 -maxdepth 1 -type d ! -name '*.partial' 2>/dev/null | wc -l; }
partials() { find "$ARCHIVE/$(serial "$1")" -mindepth 1 -maxdepth 1 -type d -name '*.partial' 2>/dev/null | wc -l; }
# one_bag N: the camera's card is in one bag and nothing is left half done.
one_bag() {
  [ "$(bags "$1")" = 1 ] && [ "$(partials "$1")" = 0 ] \
    || fail "camera $1: $(bags "$1") bags and $(partials "$1") .partial: $(ls "$ARCHIVE/$(serial "$1")" 2>&1 | tr '\n' ' ')"
}
# The archive and the audit trail as orvanectl sees them: every bag valid
# and recorded by its offload, the chain whole.
archive_sound() {
  local out
  out=$("${TOOL[@]}" archive verify --audit-trail "$(winpath "$AUDIT")" "$(winpath "$ARCHIVE")" </dev/null 2>&1) \
    || fail "archive verify --audit-trail ($1): $out"
  [ "$(grep -c ': valid' <<<"$out")" = "$2" ] || fail "archive verify ($1): $2 valid bags expected: $out"
  "${TOOL[@]}" audit verify "$(winpath "$AUDIT")" </dev/null >"$WORK/audit.out" 2>&1 \
    || fail "the audit chain is not whole ($1): $(cat "$WORK/audit.out")"
}

mkdir -p "$ARCHIVE"
printf '888888\n' >"$WORK/password"
dock_reset
dock_presets "$ARCHIVE" "$AUDIT" || fail "cannot preset the dock"
for n in 1 2 3 4 5; do camera "$n"; done

# ---- first start, then three cameras plugged one after another
dock_start "$BIN" "$DOCK" || { fail "cannot start the dock"; exit 1; }
probe settings "$(winpath "$WORK/password")"
for n in 1 2 3; do
  sim_dock_plug "$DOCK" "cam-$n"
  probe wait-state "$(serial "$n")" ''   # its row is there: the next one comes
done
if probe wait-count 3 'safe to unplug'; then
  for n in 1 2 3; do
    grep -q "^row $(serial "$n")|CAM000$n|[^|]*|[^|]*safe to unplug[^|]*|[^|]*|.\+$" "$WORK/rows" \
      || fail "row of camera $n: $(grep "$(serial "$n")" "$WORK/rows")"
    one_bag "$n"
  done
fi
archive_sound "three cameras" 3
for n in 1 2 3; do sim_dock_unplug "$DOCK" "cam-$n"; done

# ---- a camera pulled mid-copy, then plugged in again
hold_last 4
sim_dock_plug "$DOCK" cam-4
until_true "camera 4's copy at its last file" held
sim_dock_unplug "$DOCK" cam-4
let_go
probe wait-state "$(serial 4)" 'plug it in again' && grep -q "^row $(serial 4)|.*|[^|]*failed" "$WORK/rows" \
  || fail "row of camera 4 pulled out: $(cat "$WORK/rows")"
[ "$(bags 4)" = 0 ] && [ "$(partials 4)" = 1 ] || fail "camera 4 pulled out: $(bags 4) bags, $(partials 4) .partial"
unhold_last 4
sim_dock_plug "$DOCK" cam-4
probe wait-state "$(serial 4)" 'safe to unplug' && one_bag 4
archive_sound "a camera pulled mid-copy and plugged in again" 4
sim_dock_unplug "$DOCK" cam-4

# ---- the window closed mid-copy, then the next start
hold_last 5
sim_dock_plug "$DOCK" cam-5
until_true "camera 5's copy at its last file" held
# Asked and answered, the dock keeps its window until the copy has stopped.
probe ask-close
kill -0 "$DOCK_PID" 2>/dev/null || fail "the dock ended while its copy still ran"
let_go
until_true "the dock to end" eval '! kill -0 "$DOCK_PID" 2>/dev/null'
dock_end "$DOCK"
[ "$(partials 5)" = 1 ] && [ "$(bags 5)" = 0 ] \
  || fail "closed mid-copy: $(partials 5) .partial and $(bags 5) bags of camera 5, expected a .partial alone"
# Its copy stopped with its outcome written: the last line of camera 5 is no "started".
grep "\"serial\":\"$(serial 5)\"" "$AUDIT" | tail -1 | grep -q '"outcome":"started"' \
  && fail "closed mid-copy: no outcome line after camera 5's start"
# Started again, the camera still plugged in and in storage mode is a drive,
# not a camera: pulled out and plugged in again, as the operator is told.
unhold_last 5
sim_dock_unplug "$DOCK" cam-5
dock_start "$BIN" "$DOCK" || fail "cannot start the dock again"
sim_dock_plug "$DOCK" cam-5
probe wait-state "$(serial 5)" 'safe to unplug' && one_bag 5
archive_sound "closed mid-copy and resumed" 5
probe close

[ "$fails" = 0 ] && echo "dock window: three cameras, one pulled and one closed mid-copy, all in valid bags"
exit $((fails > 0))
