# The offload figures of scripts/bench (sourced by it, after common.sh and
# card-drive.sh; uses its WORK, TREE, BIN and its median, ratio, now_ms, row).
#   1 GiB  the simulated card with four files of 200 MiB and 1,000 of
#          200 KiB, offloaded with --from into an archive on the same disk
#          (verification included), against one SHA-256 pass over the same
#          files through the same crypto on one core (bench/hash_files), and
#          against the naive way: a plain copy, then one hash of the copies
#          (natively cp -r and sha256sum; under Wine xcopy /e and
#          hash_files.exe)
#   bound  what bounds the offload on each platform, measured beside it:
#          natively writing and flushing (cp -r of the card, then sync);
#          under Wine hashing, where opening each of the 1,004 files costs
#          milliseconds: hash_files.exe over one file of the same bytes
#   last   the offload against the last run's in this build tree (its
#          commit and load): run once before and once after a change to
#          the offload (such as reading the copies back from the disk) to
#          see its cost; the runs are kept in build/bench-offload.history
#   verify orvanectl archive verify of that bag, against sha256sum over the
#          bag's payload
#   memory peak working set while offloading a card of one 2 GiB file: the
#          kernel's high-water mark of the process's resident set at its
#          exit (getrusage; VmHWM, which Wine also reports to the program as
#          its PeakWorkingSetSize), against the same for orvanectl --version
# Natively and under Wine (the tree scripts/bench runs its windows in).

OFFLOAD_RUNS=${ORVANE_BENCH_OFFLOAD_RUNS:-3}
# The 1 GiB card: its videos and its photos, as the simulated camera takes
# them ("COUNT x BYTES").
CARD1G_VIDEOS="4 x 209715200" CARD1G_PHOTOS="1000 x 204800"
PASSWORD=888888
MB=1000000

mbps() { awk -v b="$1" -v ms="$2" -v mb=$MB 'BEGIN {printf "%.0f", b / mb / (ms / 1000)}'; }
seconds() { awk -v ms="$1" 'BEGIN {printf "%.2f", ms / 1000}'; }
mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }

# The peak resident set of a command in KiB, its output discarded; empty
# when it failed.
peak_kib() {
  python3 -c 'import resource, subprocess, sys
rc = subprocess.call(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss if rc == 0 else "")' "$@"
}

# A simulated camera whose card (CARD_KEY beside STATE) holds LAYOUT, made
# by entering storage mode once, untimed; the page cache then holds it.
# offload_camera STATE CARD_KEY VIDEOS PHOTOS
offload_camera() {
  printf 'card = %s\ncard_videos = %s\ncard_photos = %s\ncard_logs = 0 x 0\n' "$2" "$3" "$4" >"$1"
  NVUSB_SIM_FAULTS= LD_LIBRARY_PATH="$BUILD/native/bin/camera-sim" NVUSB_SIM_STATE="$1" \
    NVUSB_SIM_LOG="$1.log" ORVANE_PASSWORD=$PASSWORD "$BUILD/native/bin/orvanectl" --no-audit usb-storage >/dev/null \
    || die "the simulated camera did not enter storage mode"
  find "$(dirname "$1")/$2" -type f -exec cat {} + >/dev/null
}

# How one platform runs things. Native: the programs of build/native.
# Wine: those of $BIN under $LOADER, the card plugged as a drive.
use_native() {
  PLATFORM=native
  TOOL=("$BUILD/native/bin/orvanectl") HASH=("$BUILD/native/bin/hash_files")
  SIM_ENV=(env NVUSB_SIM_FAULTS= LD_LIBRARY_PATH="$BUILD/native/bin/camera-sim")
  host_path() { echo "$1"; }
  card_path() { echo "$1"; }
  naive_copy() { cp -r "$1" "$2"; }
  naive_hash() { find "$1" -type f -print0 | xargs -0 sha256sum >/dev/null; }
  NAIVE="cp -r + sha256sum"
  # Writing and flushing a copy of the card, as the offload must.
  bound_run() { cp -r "$1" "$2" && sync; }
  BOUND="cp -r + sync"
}

use_wine() {
  PLATFORM="$TREE/Wine"
  TOOL=("$LOADER" "$BIN/orvanectl.exe") HASH=("$LOADER" "$BIN/hash_files.exe")
  SIM_ENV=(env NVUSB_SIM_FAULTS= WINEPATH="Z:$BIN/camera-sim")
  host_path() { local p=${1//\//\\}; echo "Z:$p"; }
  card_path() {  # the card as the drive a camera in storage mode would be
    [ -n "${CARD_LETTER:-}" ] && card_drive_unplug "$CARD_LETTER"
    CARD_LETTER=$(card_drive_plug_free "$1") || die "no drive letter free for the card"
    echo "${CARD_LETTER^^}:\\"
  }
  naive_copy() { "$LOADER" xcopy /e /i /q /h "$1" "$(host_path "$2")\\" >/dev/null 2>&1 </dev/null; }
  naive_hash() { "${HASH[@]}" "$(host_path "$1")" >/dev/null; }
  NAIVE="xcopy /e + hash_files"
  # Hashing the card's bytes with one file to open.
  bound_run() { "${HASH[@]}" "$(host_path "$WORK/offload/card1f")" >/dev/null; }
  BOUND="one-file hash"
}

# tool STATE ARGS...: orvanectl against the camera of STATE.
tool() {
  local state=$1; shift
  "${SIM_ENV[@]}" NVUSB_SIM_STATE="$(host_path "$state")" NVUSB_SIM_LOG="$(host_path "$state.log")" \
    "${TOOL[@]}" --no-audit --password-file "$(host_path "$WORK/offload/password")" "$@" </dev/null
}

has_offload() { tool "$WORK/offload/none.txt" --help 2>/dev/null | grep -Eq '^ +offload'; }

# bench_offload_platform KEY: the 1 GiB figures and the memory figure of
# the platform chosen by use_native / use_wine, into OFF[KEY.figure].
declare -A OFF
bench_offload_platform() {
  local key=$1 d=$WORK/offload
  local from t0 bag i figure
  from=$(card_path "$d/card1g")
  for i in $(seq "$OFFLOAD_RUNS"); do
    say "   $PLATFORM: run $i of $OFFLOAD_RUNS"
    t0=$(now_ms); "${HASH[@]}" "$(host_path "$d/card1g")" >/dev/null || die "hash_files failed ($PLATFORM)"
    echo $(( $(now_ms) - t0 )) >>"$d/$key.hash"

    rm -rf "$d/archive"; mkdir "$d/archive"
    sync  # each timed step pays for its own writes only
    t0=$(now_ms); tool "$d/state1g.txt" offload --to "$(host_path "$d/archive")" --from "$from" >"$d/out" 2>&1 \
      || die "offload failed ($PLATFORM): $(tail -3 "$d/out")"
    echo $(( $(now_ms) - t0 )) >>"$d/$key.offload"
    bag=$(dirname "$(find "$d/archive" -name bagit.txt | head -1)")
    [ -d "$bag/data" ] || die "the offload made no bag ($PLATFORM): $(tail -3 "$d/out")"

    t0=$(now_ms); tool "$d/state1g.txt" archive verify "$(host_path "$bag")" >"$d/out" 2>&1 \
      || die "archive verify failed ($PLATFORM): $(tail -3 "$d/out")"
    echo $(( $(now_ms) - t0 )) >>"$d/$key.verify"
    t0=$(now_ms); find "$bag/data" -type f -print0 | xargs -0 sha256sum >/dev/null
    echo $(( $(now_ms) - t0 )) >>"$d/$key.sum"
    rm -rf "$d/archive"

    rm -rf "$d/copy"; sync
    t0=$(now_ms); { naive_copy "$from" "$d/copy" && naive_hash "$d/copy"; } || die "the naive copy failed ($PLATFORM)"
    echo $(( $(now_ms) - t0 )) >>"$d/$key.naive"
    rm -rf "$d/copy"; sync

    t0=$(now_ms); bound_run "$d/card1g" "$d/copy" || die "$BOUND failed ($PLATFORM)"
    echo $(( $(now_ms) - t0 )) >>"$d/$key.bound"
    rm -rf "$d/copy"
  done
  for figure in hash offload verify sum naive bound; do OFF[$key.$figure]=$(median <"$d/$key.$figure"); done

  rm -rf "$d/archive"; mkdir "$d/archive"
  from=$(card_path "$d/card2g")
  OFF[$key.peak]=$(peak_kib "${SIM_ENV[@]}" NVUSB_SIM_STATE="$(host_path "$d/state2g.txt")" \
    NVUSB_SIM_LOG="$(host_path "$d/state2g.txt.log")" "${TOOL[@]}" --no-audit \
    --password-file "$(host_path "$d/password")" offload --to "$(host_path "$d/archive")" --from "$from")
  [ -n "${OFF[$key.peak]}" ] || die "the offload of 2 GiB failed ($PLATFORM)"
  OFF[$key.floor]=$(peak_kib "${TOOL[@]}" --version)
  rm -rf "$d/archive"
  if [ -n "${CARD_LETTER:-}" ]; then card_drive_unplug "$CARD_LETTER"; CARD_LETTER=; fi
  OFF[$key.naive_name]=$NAIVE OFF[$key.bound_name]=$BOUND OFF[$key.platform]=$PLATFORM
}

# Measures both platforms; sets OFFLOAD_SKIPPED when there is nothing to run.
bench_offload() {
  local d=$WORK/offload
  mkdir -p "$d"
  printf '%s\n' "$PASSWORD" >"$d/password"
  use_native
  if ! has_offload; then
    OFFLOAD_SKIPPED="this orvanectl has no offload command"
    say "== offload: skipped, $OFFLOAD_SKIPPED"
    return 0
  fi
  OFFLOAD_BYTES=$(( 4 * 209715200 + 1000 * 204800 ))
  say "== offload: making the simulated cards (1 GiB in 1,004 files, and in one file; one file of 2 GiB)"
  offload_camera "$d/state1g.txt" card1g "$CARD1G_VIDEOS" "$CARD1G_PHOTOS"
  offload_camera "$d/state1f.txt" card1f "1 x $OFFLOAD_BYTES" "0 x 0"
  offload_camera "$d/state2g.txt" card2g "1 x 2147483648" "0 x 0"
  OFFLOAD_LOAD_BEFORE=$(load_average)
  say "== offload: $OFFLOAD_RUNS runs natively (load $OFFLOAD_LOAD_BEFORE)"
  bench_offload_platform native
  start_xvfb
  ensure_wineprefix "$TREE"
  start_wine_session "$TREE"
  LOADER=$(wine_loader "$TREE")
  use_wine
  say "== offload: $OFFLOAD_RUNS runs, $TREE under Wine"
  has_offload || die "orvanectl.exe has no offload command, the native one has"
  bench_offload_platform wine
  OFFLOAD_LOAD_AFTER=$(load_average)
}

# The 1-minute load average: other work on the machine moves these figures.
load_average() { cut -d' ' -f1 /proc/loadavg; }

OFFLOAD_HISTORY=$BUILD/bench-offload.history

# The last recorded run's offload median of PLATFORM, as "MS COMMIT DATE LOAD".
last_offload() { awk -v p="$1" '$3 == p { line = $4 " " $2 " " $1 " " $5 } END { print line }' "$OFFLOAD_HISTORY" 2>/dev/null; }

# Appends this run: date, commit (with + when the tree has changes), platform,
# offload median in ms, load average before the runs.
record_offload() {
  local commit key
  commit=$(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo unknown)
  git -C "$ROOT" diff --quiet HEAD 2>/dev/null || commit=$commit+
  for key in native wine; do
    echo "$(date -u +%Y-%m-%dT%H:%MZ) $commit $key ${OFF[$key.offload]} $OFFLOAD_LOAD_BEFORE" >>"$OFFLOAD_HISTORY"
  done
}

bench_offload_rows() {
  if [ -n "${OFFLOAD_SKIPPED:-}" ]; then
    row "offload figures" "skipped" "$OFFLOAD_SKIPPED" "" ""
    return 0
  fi
  local key platform
  for key in native wine; do
    platform=${OFF[$key.platform]}
    row "offload 1 GiB, $platform (MB/s)" "$(mbps "$OFFLOAD_BYTES" "${OFF[$key.offload]}")" \
      "SHA-256 pass $(mbps "$OFFLOAD_BYTES" "${OFF[$key.hash]}")" \
      "$(ratio "${OFF[$key.hash]}" "${OFF[$key.offload]}") x" ">= 0.8 x"
    row "  the same offload (s)" "$(seconds "${OFF[$key.offload]}")" \
      "${OFF[$key.naive_name]} $(seconds "${OFF[$key.naive]}")" \
      "$(ratio "${OFF[$key.offload]}" "${OFF[$key.naive]}") x" "< 1 x"
    bound_row "$key"
    last_row "$key"
    row "archive verify of that bag, $platform (s)" "$(seconds "${OFF[$key.verify]}")" \
      "sha256sum $(seconds "${OFF[$key.sum]}")" "$(ratio "${OFF[$key.verify]}" "${OFF[$key.sum]}") x" "<= 1 x"
    row "peak working set 2 GiB, $platform (MiB)" "$(mib "${OFF[$key.peak]}")" \
      "--version $(mib "${OFF[$key.floor]}")" \
      "$(awk -v p="${OFF[$key.peak]}" -v f="${OFF[$key.floor]}" 'BEGIN {printf "%+.1f", (p - f) / 1024}')" "< 64 MiB"
  done
  say "(offload: medians of $OFFLOAD_RUNS runs, page cache warm, MB = 10^6 bytes; working set: the peak resident set;"
  say " load average $OFFLOAD_LOAD_BEFORE before the offload runs, $OFFLOAD_LOAD_AFTER after)"
  record_offload
}

# The offload against what bounds it on the platform: natively the time of
# writing and flushing a copy, under Wine the rate of hashing one file.
bound_row() {
  local key=$1 platform=${OFF[$1.platform]}
  if [ "$key" = native ]; then
    row "  offload against writing, $platform (s)" "$(seconds "${OFF[$key.offload]}")" \
      "${OFF[$key.bound_name]} $(seconds "${OFF[$key.bound]}")" \
      "$(ratio "${OFF[$key.offload]}" "${OFF[$key.bound]}") x" "<= 1.5 x"
  else
    row "  offload against hashing, $platform (MB/s)" "$(mbps "$OFFLOAD_BYTES" "${OFF[$key.offload]}")" \
      "${OFF[$key.bound_name]} $(mbps "$OFFLOAD_BYTES" "${OFF[$key.bound]}")" \
      "$(ratio "${OFF[$key.bound]}" "${OFF[$key.offload]}") x" ">= 0.8 x"
  fi
}

# The offload against the last recorded run of this build tree.
last_row() {
  local key=$1 last ms commit load
  last=$(last_offload "$key")
  if [ -z "$last" ]; then
    row "  offload against the last run (s)" "$(seconds "${OFF[$key.offload]}")" "none recorded" "" ""
    return 0
  fi
  read -r ms commit _ load <<<"$last"
  row "  offload against the last run (s)" "$(seconds "${OFF[$key.offload]}")" \
    "$commit $(seconds "$ms")" "$(ratio "${OFF[$key.offload]}" "$ms") x" "(load then $load)"
}
