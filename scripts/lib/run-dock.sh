# scripts/run dock: the dock window on three simulated cameras (sourced by
# scripts/run after the build, the display and the Wine prefix; uses its
# BIN, TREE, LOADER and HEADLESS).

source "$ROOT/scripts/lib/sim-dock.sh"
source "$ROOT/scripts/lib/dock-session.sh"

RUN_DOCK=$BUILD/run-dock
# Three cameras with a few hundred MB each: long enough to see the copy move.
RUN_DOCK_CARD=("card_videos = 2 x 60000000" "card_photos = 20 x 200000" "card_logs = 2 x 4000")

# Fresh cameras, plugged in; the archive and the audit trail are kept from
# run to run, as at a real dock.
run_dock_cameras() {
  local cameras=$RUN_DOCK/cameras n
  sim_dock_unplug_drives "$cameras" 2>/dev/null
  rm -rf "$cameras" && mkdir -p "$cameras" "$RUN_DOCK/archive" || die "cannot prepare $RUN_DOCK"
  for n in 1 2 3; do
    sim_dock_add "$cameras" "cam-$n" "SIMDOCK000000000000$n" "CAM000$n" "${RUN_DOCK_CARD[@]}" \
      && sim_dock_plug "$cameras" "cam-$n" || die "cannot add the simulated camera cam-$n"
  done
}

run_dock() {
  DOCK_WINE=$LOADER
  start_wine_session "$TREE"
  trap 'dock_end "$RUN_DOCK/cameras"; wine_server -k 2>/dev/null; stop_xvfb' EXIT
  run_dock_cameras
  [ $HEADLESS = 1 ] && dock_reset
  dock_presets "$RUN_DOCK/archive" "$RUN_DOCK/audit.jsonl" || die "cannot preset the dock's archive and audit file"
  dock_start "$BIN" "$RUN_DOCK/cameras" || die "cannot start the dock"
  if [ $HEADLESS = 0 ]; then
    say "== OrvaneDock.exe on $DISPLAY: three cameras plugged in ($RUN_DOCK/cameras), password 888888;"
    say "   archive $RUN_DOCK/archive, audit file $RUN_DOCK/audit.jsonl"
    wait "$DOCK_PID"
    return 0
  fi

  say "== no display: OrvaneDock.exe on a virtual one, offloading three cameras"
  [ -f "$BIN/DockProbe.exe" ] || die "DockProbe.exe was not built"
  local password=$RUN_DOCK/password shots=$BUILD/screens
  (umask 077 && printf '888888\n' >"$password") || die "cannot write $password"
  "$LOADER" "$BIN/DockProbe.exe" --timeout 180000 attach settings "$(dock_winpath "$password")" \
    wait-count 3 'safe to unplug' || die "the dock did not offload the three cameras (its output: $RUN_DOCK/cameras.output)"
  sleep 1   # the rows are painted shortly after their texts change
  mkdir -p "$shots"
  import -window root "$shots/dock.png" 2>/dev/null
  "$LOADER" "$BIN/DockProbe.exe" attach close || die "the dock did not close"
  say "screenshot of the dock: $shots/dock.png"
}
