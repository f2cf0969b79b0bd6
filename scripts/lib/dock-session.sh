# OrvaneDock.exe under Wine on the simulated dock, for scripts/run dock,
# scripts/bench dock and the dock's journey test. Sourced after
# sim-dock.sh; the caller sets DOCK_WINE (the Wine loader) and WINEPREFIX,
# and a session of the prefix's wineserver runs (registry changes reach the
# next program through it).

DOCK_SETTINGS_KEY='HKCU\Software\Kestrava\OrvaneDock'
DOCK_POLICY_KEY='HKLM\Software\Policies\Kestrava\OrvaneDock'

dock_winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# dock_reset: the dock as on a new PC: no operator's settings, no presets,
# nor the product's keys above them when nothing else is left there (other
# tests find the prefix as it was).
dock_reset() {
  local key
  for key in "$DOCK_SETTINGS_KEY" "$DOCK_POLICY_KEY"; do
    "$DOCK_WINE" reg delete "$key" /f >/dev/null 2>&1
    dock_delete_if_empty "${key%\\*}"
  done
  return 0
}

# dock_delete_if_empty KEY: KEY goes when it holds no value and no key
# (reg query lists a value indented, a key by its full name below KEY's).
dock_delete_if_empty() {
  local listing
  listing=$("$DOCK_WINE" reg query "$1" 2>/dev/null) || return 0
  grep -q '^[[:space:]]\+[^[:space:]]' <<<"$listing" && return 0
  grep -q -F "${1##*\\}\\" <<<"$listing" && return 0
  "$DOCK_WINE" reg delete "$1" /f >/dev/null 2>&1
  return 0
}

# dock_presets ARCHIVE AUDIT_FILE [NAME DWORD]...: IT's presets of the PC:
# the archive (a host folder, or s3://BUCKET/PREFIX) and the audit file (a
# host path), and DWORD settings such as MaxCopies. The operator then only
# gives the password.
dock_presets() {
  local archive=$1 audit=$2; shift 2
  [[ $archive == s3://* ]] || archive=$(dock_winpath "$archive")
  "$DOCK_WINE" reg add "$DOCK_POLICY_KEY" /v Archive /t REG_SZ /d "$archive" /f >/dev/null 2>&1 \
    && "$DOCK_WINE" reg add "$DOCK_POLICY_KEY" /v AuditFile /t REG_SZ /d "$(dock_winpath "$audit")" /f >/dev/null 2>&1 \
    || { echo "dock_presets: cannot write $DOCK_POLICY_KEY" >&2; return 1; }
  while [ $# -ge 2 ]; do
    "$DOCK_WINE" reg add "$DOCK_POLICY_KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 \
      || { echo "dock_presets: cannot write $1" >&2; return 1; }
    shift 2
  done
}

# dock_start BIN DOCK: BIN's OrvaneDock.exe, in the background (DOCK_PID),
# on the simulated cameras of DOCK, whose cards show as drives when they
# enter storage mode (DOCK_FOLLOW_PID); the dock's output in DOCK.output.
dock_start() {
  local bin=$1 dock=$2
  [ -f "$bin/OrvaneDock.exe" ] || { echo "dock_start: no OrvaneDock.exe in $bin" >&2; return 1; }
  mkdir -p "$dock" || return 1
  sim_dock_follow_drives "$dock" &
  DOCK_FOLLOW_PID=$!
  (cd "$bin" && WINEPATH="Z:$bin/camera-sim" NVUSB_SIM_DOCK="$(dock_winpath "$dock")" \
    exec "$DOCK_WINE" OrvaneDock.exe </dev/null >"$dock.output" 2>&1) &
  DOCK_PID=$!
}

# dock_end DOCK: the dock ended if it still runs, its cards' drives gone.
dock_end() {
  [ -n "${DOCK_PID:-}" ] && { kill "$DOCK_PID" 2>/dev/null; wait "$DOCK_PID" 2>/dev/null; }
  [ -n "${DOCK_FOLLOW_PID:-}" ] && { kill "$DOCK_FOLLOW_PID" 2>/dev/null; wait "$DOCK_FOLLOW_PID" 2>/dev/null; }
  DOCK_PID= DOCK_FOLLOW_PID=
  sim_dock_unplug_drives "$1"
}
