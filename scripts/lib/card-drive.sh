# A camera's card appearing as a drive under Wine, and being pulled out.
# Sourced, not run, by tests and scripts/bench.
#
# A drive letter is a symlink in the prefix's dosdevices folder; programs
# already running see it come and go at once (by GetDriveTypeW, not by
# GetLogicalDrives, which Wine caches). The prefix is $WINEPREFIX, or
# ~/.wine as for Wine itself. A drive-watching program sees every drive
# plugged into its prefix: tests that plug drives share one ctest
# RESOURCE_LOCK, wine-drives.

card_drive_link() { printf '%s/dosdevices/%s:' "${WINEPREFIX:-$HOME/.wine}" "$(printf '%s' "$1" | tr 'A-Z' 'a-z')"; }

# card_drive_plug LETTER FOLDER: FOLDER appears as drive LETTER. Fails,
# changing nothing, when the letter is taken or is not one of D to Y.
card_drive_plug() {
  local letter=$1 folder=$2 link
  [[ $letter =~ ^[D-Yd-y]$ ]] || { echo "card_drive_plug: drive letter D to Y expected, not '$letter'" >&2; return 1; }
  [ -d "$folder" ] || { echo "card_drive_plug: $folder is not a folder" >&2; return 1; }
  link=$(card_drive_link "$letter")
  mkdir -p "$(dirname "$link")" || return 1
  # Fails when the name exists, so two plugs never share a letter (-n: a
  # taken letter's link is not entered as a folder).
  ln -sn "$(cd "$folder" && pwd -P)" "$link" 2>/dev/null \
    || { echo "card_drive_plug: drive $letter: is taken ($(readlink "$link" || echo 'not a link'))" >&2; return 1; }
}

# card_drive_plug_free FOLDER: plugs FOLDER as the first free letter from K
# on and prints that letter.
card_drive_plug_free() {
  local letter
  for letter in k l m n o p q r s t u v w x y; do
    [ -e "$(card_drive_link "$letter")" ] || [ -L "$(card_drive_link "$letter")" ] && continue
    card_drive_plug "$letter" "$1" 2>/dev/null && { echo "$letter"; return 0; }
  done
  echo "card_drive_plug_free: no free drive letter from K to Y" >&2
  return 1
}

# card_drive_unplug LETTER: the drive is gone (a file already open on it
# keeps reading; the next one to open fails, as with a card pulled out).
# Removes only a link; a missing drive is no error.
card_drive_unplug() {
  local link
  link=$(card_drive_link "$1")
  if [ -L "$link" ]; then rm -f "$link"; elif [ -e "$link" ]; then
    echo "card_drive_unplug: $link is not a plugged card; left alone" >&2; return 1
  fi
}
