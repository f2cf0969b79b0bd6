# Cameras of the simulated dock: one state file per camera, NAME.txt, in a
# dock folder (the folder NVUSB_SIM_DOCK names to the simulated library).
# Sourced, not run, by tests and scripts. Every change replaces the state
# file whole (a new file renamed over it), so the library, which replaces it
# the same way, never reads half a file. A change the library makes in the
# same instant may still be lost: plug and unplug between transfers.

source "$(dirname "${BASH_SOURCE[0]}")/card-drive.sh"

# sim_dock_file DOCK NAME: the camera's state file.
sim_dock_file() {
  [[ $2 =~ ^[A-Za-z0-9_-]+$ ]] || { echo "sim_dock: camera name of letters, digits, - and _ expected, not '$2'" >&2; return 1; }
  printf '%s/%s.txt' "$1" "$2"
}

# sim_dock_hex TEXT BYTES: TEXT in hex, zero bytes after it up to BYTES.
sim_dock_hex() {
  local hex
  hex=$(printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n')
  [ ${#hex} -le $(($2 * 2)) ] || { echo "sim_dock_hex: '$1' is longer than $2 bytes" >&2; return 1; }
  printf '%s' "$hex"
  printf '%*s' $(($2 * 2 - ${#hex})) '' | tr ' ' 0
}

# sim_dock_rewrite FILE DROPPED_KEYS_REGEX [LINE...]: FILE without the lines
# of those keys, then LINEs, put in place at once.
sim_dock_rewrite() {
  local file=$1 dropped=$2; shift 2
  { [ -f "$file" ] && grep -Ev "^[[:space:]]*($dropped)[[:space:]]*=" "$file"; printf '%s\n' "$@"; } >"$file.new.$$" \
    && mv -f "$file.new.$$" "$file"
}

# sim_dock_add DOCK NAME SERIAL CAMERA_ID [LINE...]: a new camera, unplugged,
# with that serial number (up to 20 characters) and camera ID (up to 7),
# user ID 000001, department D01, its card NAME-card beside it, and any
# further state lines ("card_videos = 1 x 1000"). Replaces an earlier one.
sim_dock_add() {
  local dock=$1 name=$2 serial=$3 camera_id=$4 file serial_hex identity_hex; shift 4
  file=$(sim_dock_file "$dock" "$name") || return 1
  serial_hex=$(sim_dock_hex "$serial" 21) || return 1
  # Identity record: camera ID (8 bytes), user ID (7), names, department ID at 48 (13), names: 94 bytes.
  identity_hex=$(sim_dock_hex "$camera_id" 8)$(sim_dock_hex 000001 7)$(sim_dock_hex '' 33)$(sim_dock_hex D01 13)$(sim_dock_hex '' 33) \
    || return 1
  mkdir -p "$dock" || return 1
  rm -f "$file"
  sim_dock_rewrite "$file" present "present = 0" "serial_number = $serial_hex" "identity = $identity_hex" \
    "card = $name-card" "$@"
}

# sim_dock_set DOCK NAME KEY VALUE: one key of the camera's state.
sim_dock_set() {
  local file
  file=$(sim_dock_file "$1" "$2") || return 1
  [ -f "$file" ] || { echo "sim_dock_set: no camera $2 in $1" >&2; return 1; }
  sim_dock_rewrite "$file" "$3" "$3 = $4"
}

# sim_dock_plug DOCK NAME: the camera is plugged in, a vendor device.
sim_dock_plug() { sim_dock_set "$1" "$2" present 1; }

# sim_dock_unplug DOCK NAME: the camera is pulled out. That ends its storage
# mode, so plugged again it is a vendor device, and under Wine its card's
# drive goes (a file already open on it keeps reading).
sim_dock_unplug() {
  local file letter
  file=$(sim_dock_file "$1" "$2") || return 1
  [ -f "$file" ] || { echo "sim_dock_unplug: no camera $2 in $1" >&2; return 1; }
  sim_dock_rewrite "$file" 'present|storage_mode' "present = 0" || return 1
  for letter in $(sim_dock_card_letters "$1" "$2"); do card_drive_unplug "$letter" || return 1; done
  return 0
}

# sim_dock_card_letters DOCK NAME: the drive letters the camera's card is
# plugged as under Wine, one a line; nothing when none.
sim_dock_card_letters() {
  local card link
  card=$(sim_dock_card_folder "$1" "$2") || return 1
  [ -d "$card" ] || return 0
  card=$(cd "$card" && pwd -P)
  for link in "$(dirname "$(card_drive_link d)")"/?:; do
    [ -L "$link" ] && [ "$(readlink "$link")" = "$card" ] && basename "$link" :
  done
  return 0
}

# sim_dock_follow_drives DOCK: under Wine, plays the cards of the dock's
# cameras until it is ended: a camera that has entered storage mode shows its
# card as a drive (sim_dock_card_drive), as a real one does a moment later;
# sim_dock_unplug takes it away. Run it in the background, and afterwards
# sim_dock_unplug_drives.
sim_dock_follow_drives() {
  local file name
  while :; do
    for file in "$1"/*.txt; do
      [ -f "$file" ] || continue
      name=$(basename "$file" .txt)
      grep -Eq '^[[:space:]]*storage_mode[[:space:]]*=[[:space:]]*1[[:space:]]*$' "$file" 2>/dev/null || continue
      [ -n "$(sim_dock_card_letters "$1" "$name")" ] || sim_dock_card_drive "$1" "$name" >/dev/null 2>&1
    done
    sleep 0.1
  done
}

# sim_dock_unplug_drives DOCK: every drive of the dock's cards goes.
sim_dock_unplug_drives() {
  local file letter
  for file in "$1"/*.txt; do
    [ -f "$file" ] || continue
    for letter in $(sim_dock_card_letters "$1" "$(basename "$file" .txt)"); do card_drive_unplug "$letter"; done
  done
  return 0
}

# sim_dock_card_folder DOCK NAME: the camera's card folder, as its state's
# `card` key names it (relative to DOCK), else NAME-card as the library has it.
sim_dock_card_folder() {
  local file card
  file=$(sim_dock_file "$1" "$2") || return 1
  card=$(sed -n 's/^[[:space:]]*card[[:space:]]*=[[:space:]]*//p' "$file" 2>/dev/null | tail -n 1 | sed 's/[[:space:]]*$//')
  card=${card:-$2-card}
  case $card in /*) printf '%s' "$card" ;; *) printf '%s/%s' "$1" "$card" ;; esac
}

# sim_dock_card_drive DOCK NAME: under Wine, the card of a camera in storage
# mode appears as the first free drive letter from K on, which it prints.
sim_dock_card_drive() {
  local card
  card=$(sim_dock_card_folder "$1" "$2") || return 1
  card_drive_plug_free "$card"
}
