# The dock window's figures of scripts/bench (sourced by it, after common.sh
# and card-drive.sh; uses its WORK, TREE, BIN and LOADER and its median,
# ratio, now_ms, row, and seconds and mib of bench-offload.sh):
#   answers  round trips of a message to the window (SendMessageTimeout from
#            DockProbe.exe, one every 10 ms) while it offloads 1 GiB: the
#            99th percentile against 50 ms
#   one      one camera of 1 GiB (the offload figure's layout) offloaded in
#            the window, from its plug to "safe to unplug", against
#            orvanectl offload of the same card from its start, the camera
#            plugged in, to its end: within 10 %
#   three    three cameras of 200 MB plugged one after another (each once
#            the previous one has its row): from the first plug to the last
#            "safe to unplug", against the sum of three single offloads of
#            such a camera in the window
#   memory   the dock's peak working set (GetProcessMemoryInfo, as Windows
#            counts it) in a fresh start offloading four cameras of 500 MB,
#            four copies at once: against 100 MiB
# The dock runs under Wine on the simulated dock, the card shown as a drive
# once a camera enters storage mode, the format after offload off (cards are
# kept for the next run); each timed camera is a new one (its own serial and
# row), its card a hard-linked copy of one set of files. Skipped while
# OrvaneDock.exe is not built.

source "$ROOT/scripts/lib/sim-dock.sh"
source "$ROOT/scripts/lib/dock-session.sh"

DOCK_RUNS=${ORVANE_BENCH_DOCK_RUNS:-3}
declare -A DOCKFIG

# dock_files DIR VIDEOS VIDEO_BYTES PHOTOS PHOTO_BYTES: a card's recordings.
dock_files() {
  local dir=$1 i
  mkdir -p "$dir/DCIM/100MEDIA" || die "cannot make $dir"
  for ((i = 1; i <= $2; i++)); do
    head -c "$3" /dev/urandom >"$dir/DCIM/100MEDIA/$(printf 'VID_%04d.MP4' "$i")" || die "cannot write a card"
  done
  for ((i = 1; i <= $4; i++)); do
    head -c "$5" /dev/urandom >"$dir/DCIM/100MEDIA/$(printf 'IMG_%04d.JPG' "$i")" || die "cannot write a card"
  done
}

# dock_camera FILES: a new camera, unplugged, its card FILES; prints its name.
dock_camera() {
  local d=$WORK/dock/cameras n name
  n=$(($(find "$d" -maxdepth 1 -name '*.txt' | wc -l) + 1))
  name=cam-$n
  sim_dock_add "$d" "$name" "$(dock_serial "$n")" "$(printf 'B%06d' "$n")" \
    && cp -al "$1" "$d/$name-card" || die "cannot add the camera $name"
  echo "$name"
}
dock_serial() { printf 'SIMBENCH%012d' "$1"; }
serial_of() { dock_serial "${1#cam-}"; }

dock_probe() { "$LOADER" "$BIN/DockProbe.exe" --timeout 900000 attach "$@" </dev/null; }

# dock_window_offload NAME: plugs the camera in and prints the milliseconds
# to its row's "safe to unplug"; then it is pulled out and its bag removed.
dock_window_offload() {
  local t0 t1
  sim_dock_plug "$WORK/dock/cameras" "$1"
  t0=$(now_ms)
  dock_probe wait-state "$(serial_of "$1")" 'safe to unplug' >/dev/null || die "the dock did not offload $1"
  t1=$(now_ms)
  sim_dock_unplug "$WORK/dock/cameras" "$1"
  rm -rf "$WORK/dock/archive/$(serial_of "$1")"
  echo $((t1 - t0))
}

# dock_cli_offload NAME: orvanectl offload of the camera, plugged in, with
# its card followed as a drive; prints its milliseconds.
dock_cli_offload() {
  local d=$WORK/dock t0 t1
  sim_dock_plug "$d/cameras" "$1"
  t0=$(now_ms)
  WINEPATH="Z:$BIN/camera-sim" NVUSB_SIM_DOCK="$(dock_winpath "$d/cameras")" "$LOADER" "$BIN/orvanectl.exe" \
    --audit "$(dock_winpath "$d/cli-audit.jsonl")" --password-file "$(dock_winpath "$d/password")" \
    offload --to "$(dock_winpath "$d/cli-archive")" </dev/null >"$d/cli.out" 2>&1 \
    || die "orvanectl offload failed: $(tail -3 "$d/cli.out")"
  t1=$(now_ms)
  sim_dock_unplug "$d/cameras" "$1"
  rm -rf "$d/cli-archive/$(serial_of "$1")"
  echo $((t1 - t0))
}

bench_dock() {
  if [ ! -f "$BIN/OrvaneDock.exe" ]; then
    DOCK_SKIPPED="OrvaneDock.exe was not built"
    say "== dock: skipped, $DOCK_SKIPPED"
    return 0
  fi
  [ -f "$BIN/DockProbe.exe" ] && [ -f "$BIN/orvanectl.exe" ] || die "DockProbe.exe or orvanectl.exe was not built"
  local d=$WORK/dock i name
  mkdir -p "$d/cameras" "$d/archive" "$d/cli-archive"
  printf '888888\n' >"$d/password"
  say "== dock: making the cards (1 GiB in 1,004 files; 200 MB; 500 MB)"
  dock_files "$d/card1g" 4 209715200 1000 204800
  dock_files "$d/card200m" 1 150000000 250 200000
  dock_files "$d/card500m" 2 250000000 0 0
  find "$d"/card* -type f -exec cat {} + >/dev/null   # the page cache holds them, as for the offload figure
  start_xvfb
  ensure_wineprefix "$TREE"
  start_wine_session "$TREE"
  DOCK_WINE=$LOADER

  say "== dock: $DOCK_RUNS runs of orvanectl offload, 1 GiB"
  sim_dock_follow_drives "$d/cameras" &
  DOCK_FOLLOW_PID=$!
  for i in $(seq "$DOCK_RUNS"); do dock_cli_offload "$(dock_camera "$d/card1g")" >>"$d/cli"; done
  kill "$DOCK_FOLLOW_PID"; wait "$DOCK_FOLLOW_PID" 2>/dev/null; DOCK_FOLLOW_PID=
  sim_dock_unplug_drives "$d/cameras"

  dock_reset
  dock_presets "$d/archive" "$d/audit.jsonl" FormatAfter 0 MaxCopies 4 || die "cannot preset the dock"
  dock_start "$BIN" "$d/cameras" || die "cannot start the dock"
  dock_probe settings "$(dock_winpath "$d/password")" >/dev/null || die "the dock's first start failed"
  say "== dock: $DOCK_RUNS runs each in the window: 1 GiB, 200 MB, three of 200 MB; answers during 1 GiB"
  for i in $(seq "$DOCK_RUNS"); do
    dock_window_offload "$(dock_camera "$d/card1g")" >>"$d/window"
    dock_window_offload "$(dock_camera "$d/card200m")" >>"$d/single"
    bench_dock_three >>"$d/three"
  done
  rm -f "$d/stop"
  dock_probe ping-until "$(dock_winpath "$d/stop")" >"$d/ping" &
  local pinging=$!
  dock_window_offload "$(dock_camera "$d/card1g")" >/dev/null
  touch "$d/stop"
  wait "$pinging" || die "the probe's round trips failed"
  read -r _ DOCKFIG[pings] DOCKFIG[p50] DOCKFIG[p99] DOCKFIG[max] DOCKFIG[unanswered] <"$d/ping"

  say "== dock: four copies at once, 500 MB each, in a fresh start"
  dock_probe close >/dev/null || die "the dock did not close"
  dock_end "$d/cameras"
  dock_start "$BIN" "$d/cameras" || die "cannot start the dock again"
  local four=()
  for i in 1 2 3 4; do four+=("$(dock_camera "$d/card500m")"); done
  for name in "${four[@]}"; do sim_dock_plug "$d/cameras" "$name"; done
  dock_probe wait-count 4 copying >/dev/null && DOCKFIG[four]=yes || DOCKFIG[four]=no
  for name in "${four[@]}"; do
    dock_probe wait-state "$(serial_of "$name")" 'safe to unplug' >/dev/null || die "the dock did not offload $name"
  done
  DOCKFIG[peak]=$(dock_probe memory | sed -n 's/^memory //p' | tr -d '\r')
  dock_probe close >/dev/null
  dock_end "$d/cameras"
  dock_reset

  DOCKFIG[cli]=$(median <"$d/cli") DOCKFIG[window]=$(median <"$d/window")
  DOCKFIG[single]=$(median <"$d/single") DOCKFIG[three]=$(median <"$d/three")
  rm -rf "$d"
}

# One run of three new cameras plugged one after another: milliseconds from
# the first plug to the last "safe to unplug".
bench_dock_three() {
  local d=$WORK/dock/cameras names=() name t0
  for name in 1 2 3; do names+=("$(dock_camera "$WORK/dock/card200m")"); done
  t0=$(now_ms)
  for name in "${names[@]}"; do
    sim_dock_plug "$d" "$name"
    dock_probe wait-state "$(serial_of "$name")" '' >/dev/null || die "no row for $name"
  done
  for name in "${names[@]}"; do
    dock_probe wait-state "$(serial_of "$name")" 'safe to unplug' >/dev/null || die "the dock did not offload $name"
  done
  echo $(($(now_ms) - t0))
  for name in "${names[@]}"; do
    sim_dock_unplug "$d" "$name"
    rm -rf "$WORK/dock/archive/$(serial_of "$name")"
  done
}

bench_dock_rows() {
  if [ -n "${DOCK_SKIPPED:-}" ]; then
    row "dock figures" "skipped" "$DOCK_SKIPPED" "" ""
    return 0
  fi
  row "dock answers during 1 GiB offload (p99 ms)" "${DOCKFIG[p99]}" \
    "median ${DOCKFIG[p50]}, max ${DOCKFIG[max]}" "${DOCKFIG[unanswered]} over 1 s" "< 50 ms"
  row "one camera 1 GiB in the window (s)" "$(seconds "${DOCKFIG[window]}")" \
    "orvanectl $(seconds "${DOCKFIG[cli]}")" "$(ratio "${DOCKFIG[window]}" "${DOCKFIG[cli]}") x" "<= 1.10 x"
  row "three of 200 MB one after another (s)" "$(seconds "${DOCKFIG[three]}")" \
    "3 single $(seconds $((3 * DOCKFIG[single])))" "$(ratio "${DOCKFIG[three]}" $((3 * DOCKFIG[single]))) x" "< 1 x"
  row "dock peak working set, four copies (MiB)" "$(mib "${DOCKFIG[peak]}")" \
    "four at once: ${DOCKFIG[four]}" "" "< 100 MiB"
  say "(dock: medians of $DOCK_RUNS runs under Wine ($TREE), plug to the row's \"safe to unplug\" as the probe sees it;"
  say " ${DOCKFIG[pings]} round trips; working set as GetProcessMemoryInfo reports it)"
}
