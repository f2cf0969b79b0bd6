#!/usr/bin/env bash
# Packs this build's binaries with scripts/package and checks the result from
# outside, as an operator would meet it.
#   contents  the zip and the installer hold the right files, the binaries in
#             them are still sound, README.txt is a Windows text file
#   run       under Wine: the unpacked zip starts and signs in to the
#             simulated camera; the installer installs silently into a
#             scratch copy of the Wine prefix, the installed program signs
#             in, the silent uninstaller leaves nothing of ours behind
# usage: PackageTest.sh contents|run ARCH BIN_DIR OBJDUMP WINE_LOADER
# "run" expects DISPLAY and WINEPREFIX (an initialised prefix) as scripts/test
# sets them.
set -uo pipefail
MODE=$1 ARCH=$2 BIN=$3 OBJDUMP=$4 WINE=$5
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)

fail=0
bad() { echo "FAIL: $*"; fail=1; }
die() { echo "FAIL: $*"; exit 1; }

WINESERVER=$(dirname "$WINE")/wineserver
[ "${WINE##*/}" = wine64 ] && [ -x "${WINESERVER}64" ] && WINESERVER=${WINESERVER}64

T=$(mktemp -d /tmp/orvane-package-test.XXXXXX)
cleanup() {
  [ -n "${SCRATCH_PREFIX:-}" ] && WINEPREFIX=$SCRATCH_PREFIX "$WINESERVER" -k 2>/dev/null
  rm -rf "$T"
}
trap cleanup EXIT

"$ROOT/scripts/package" --arch "$ARCH" --from "$BIN" --dist "$T/dist" || die "scripts/package failed"
VERSION=$(sed -n 's/^[[:space:]]*VALUE "ProductVersion", "\(.*\)".*/\1/p' "$ROOT/app/res/Orvane.rc")
ZIP=$T/dist/Orvane-$VERSION-$ARCH.zip
SETUP=$T/dist/Orvane-$VERSION-setup.exe
[ "$ARCH" = win64 ] && SETUP=$T/dist/Orvane-$VERSION-win64-setup.exe
[ -f "$ZIP" ] || die "no $(basename "$ZIP")"
[ -f "$SETUP" ] || die "no $(basename "$SETUP")"

contents() {
  local listing want
  want=$'README.txt\nOrvane.exe\nTelvix.dll\ncamera-sim/NvUSB.dll'
  listing=$(unzip -Z1 "$ZIP" | grep -v '/$' | sort)
  [ "$listing" = "$(sort <<<"$want")" ] || bad "the zip holds: $(echo $listing)"

  mkdir -p "$T/zip" "$T/setup"
  unzip -q "$ZIP" -d "$T/zip" || die "cannot unpack the zip"
  # The shipped binaries as packed (stripped): exports, imports, no MinGW DLLs.
  if [ "$ARCH" = win32 ]; then
    "$ROOT/tests/product/CheckBinaries.sh" "$OBJDUMP" "$T/zip" "$ROOT/device/Telvix.def" >"$T/check.log" \
      || bad "packaged binaries: $(grep FAIL "$T/check.log" | tr '\n' ' ')"
  fi

  local readme=$T/zip/README.txt
  [ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || bad "README.txt has lines without CRLF"
  grep -q '@' "$readme" && bad "README.txt has an unfilled @...@"
  grep -q "camera-sim" "$readme" && grep -q "NvUSB.dll" "$readme" && grep -q "PATH" "$readme" \
    || bad "README.txt does not say where NvUSB.dll goes and how to use the simulated camera"

  # The installer, unpacked by 7-Zip: the same files, and an uninstaller.
  7z x -y -o"$T/setup" "$SETUP" >"$T/7z.log" 2>&1 || die "7z cannot unpack the installer: $(tail -3 "$T/7z.log")"
  local f
  for f in Orvane.exe Telvix.dll README.txt camera-sim/NvUSB.dll; do
    cmp -s "$T/zip/$f" "$T/setup/$f" || bad "the installer's $f differs from the zip's"
  done
  [ -f "$T/setup/Uninstall.exe" ] || bad "the installer writes no uninstaller"
  [ -e "$T/setup/NvUSB.dll" ] && bad "the installer puts the simulated camera beside the program"
  if [ "$ARCH" = win32 ]; then
    "$OBJDUMP" -f "$SETUP" | grep -q 'file format pei-i386' || bad "the installer is not a 32-bit program"
  fi
}

# The probe drives the program it starts; prints its report.
probe() { "$WINE" "$PROBE" --timeout 30000 "$@" 2>&1; }
sign_in_and_out() {
  probe start "$1" signin-window connect account 0 password 888888 signin click 2 signin-window click 1004 exit
}

run() {
  [ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] || die "needs DISPLAY and WINEPREFIX"
  # No menu entries for the shortcut in the host's home.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
  PROBE=$BIN/SignInProbe.exe
  [ -f "$PROBE" ] || die "no SignInProbe.exe in $BIN"
  local out

  # Portable: unpacked anywhere, the simulated camera on the search path.
  mkdir -p "$T/portable"
  unzip -q "$ZIP" -d "$T/portable" || die "cannot unpack the zip"
  out=$(WINEPATH="Z:$T/portable/camera-sim" NVUSB_SIM_STATE="$T/sim-state.txt" \
        sign_in_and_out "Z:${T//\//\\}\\portable\\Orvane.exe") \
    || bad "the unpacked program did not sign in and end: $(grep probe: <<<"$out")"
  grep -q '^signin ' <<<"$out" || bad "no camera window from the unpacked program"

  # Installer: in a copy of the prefix, so that a failure leaves the shared
  # one clean. A prefix has its own wineserver.
  SCRATCH_PREFIX=$T/prefix
  cp -a "$WINEPREFIX" "$SCRATCH_PREFIX" || die "cannot copy the Wine prefix"
  export WINEPREFIX=$SCRATCH_PREFIX
  local drive=$SCRATCH_PREFIX/drive_c dir key
  "$WINE" "$SETUP" /S >"$T/setup.log" 2>&1 || bad "the silent installer failed: $(tail -3 "$T/setup.log")"
  # The installer's own Program Files: a 32-bit one runs in a 32-bit prefix.
  dir="$("$WINE" cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')\\Kestrava"
  local unixdir=$drive/${dir#C:\\}
  unixdir=${unixdir//\\//}
  local f
  for f in Orvane.exe Telvix.dll README.txt Uninstall.exe camera-sim/NvUSB.dll; do
    [ -f "$unixdir/$f" ] || bad "not installed: $dir\\$f"
  done
  [ -e "$unixdir/NvUSB.dll" ] && bad "the simulated camera was installed beside the program"
  local shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrava.lnk"
  [ -f "$shortcut" ] || bad "no Start-menu shortcut for all users"
  key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrava'
  out=$("$WINE" reg query "$key" 2>/dev/null | tr -d '\r')
  grep -Eq 'DisplayName +REG_SZ +Kestrava$' <<<"$out" || bad "Add/Remove Programs: no DisplayName Kestrava"
  grep -Eq "DisplayVersion +REG_SZ +$VERSION$" <<<"$out" || bad "Add/Remove Programs: no DisplayVersion $VERSION"
  grep -Eq 'QuietUninstallString +REG_SZ +".*\\Uninstall\.exe" /S$' <<<"$out" || bad "Add/Remove Programs: no QuietUninstallString"

  # The installed program, its simulated camera on the search path; it logs
  # beside itself, which the uninstaller must clean up.
  out=$(WINEPATH="$dir\\camera-sim" sign_in_and_out "$dir\\Orvane.exe") \
    || bad "the installed program did not sign in and end: $(grep probe: <<<"$out")"
  [ -f "$unixdir/camera-sim/nvusb-sim-log.txt" ] || bad "the installed simulated camera wrote no log"

  # The uninstaller copies itself away and returns at once; wait for its copy.
  "$WINE" "$dir\\Uninstall.exe" /S >"$T/uninstall.log" 2>&1 || bad "the silent uninstaller failed"
  local i
  for i in $(seq 300); do [ -e "$unixdir" ] || break; sleep 0.1; done
  [ -e "$unixdir" ] && bad "left behind: $(cd "$drive" && find "${unixdir#$drive/}" | tr '\n' ' ')"
  [ -e "$shortcut" ] && bad "left behind: the Start-menu shortcut"
  "$WINE" reg query "$key" >/dev/null 2>&1 && bad "left behind: $key"
}

case $MODE in
  contents) contents ;;
  run) run ;;
  *) die "mode is contents or run" ;;
esac
exit $fail
