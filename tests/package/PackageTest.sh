#!/usr/bin/env bash
# Packs this build's binaries with scripts/package and checks the result from
# outside, as an operator would meet it.
#   contents  the zip, the installer and the MSI hold the right files, the
#             binaries in them are still sound, README.txt is a Windows text
#             file, SHA256SUMS matches; packed again with a throwaway
#             certificate (and a stand-in command-line tool where none was
#             built), every program, library and package is validly signed
#   run       under Wine: the unpacked zip starts and signs in to the
#             simulated camera; the installer installs silently into a
#             scratch copy of the Wine prefix, the installed program signs
#             in, the installed dock starts, the silent uninstaller
#             leaves nothing of ours behind; the MSI, installed silently over an older version's with the dock's
#             presets given as properties, upgrades it in place, writes the
#             presets as the dock's policy, its program signs in, and its
#             silent removal leaves nothing of ours behind
# usage: PackageTest.sh contents|run ARCH BIN_DIR OBJDUMP WINE_LOADER
# "run" expects DISPLAY and WINEPREFIX (an initialised prefix) as scripts/test
# sets them.
set -uo pipefail
MODE=$1 ARCH=$2 BIN=$3 OBJDUMP=$4 WINE=$5
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
source "$ROOT/scripts/lib/shipped.sh"

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

# The files every package holds, as paths inside it.
WANT=$(printf '%s\n' README.txt "${SHIPPED_PROGRAMS[@]}" camera-sim/NvUSB.dll)
# The Start-menu shortcuts of the programs, by name.
SHORTCUTS=(Kestrava)
[ "$SHIPPED_DOCK" = 1 ] && SHORTCUTS+=("Kestrava Dock")
# Where the dock reads IT's presets.
POLICY_KEY='HKLM\Software\Policies\Kestrava\OrvaneDock'
rc_value() { sed -n "s/^[[:space:]]*VALUE \"$1\", \"\\(.*\\)\".*/\\1/p" "$ROOT/app/res/Orvane.rc" | head -1; }
VERSION=$(rc_value ProductVersion) PRODUCT=$(rc_value ProductName)
# The one UpgradeCode of the product: changing it breaks every upgrade in the field.
UPGRADE_CODE='{04B32D03-E098-43C2-A144-E4CEB22D5387}'

# pack BIN_DIR DIST VERSION: packs with scripts/package (its output in
# DIST.log) and sets ZIP, SETUP, MSI.
pack() {
  local bin=$1 dist=$2 version=$3 f
  "$ROOT/scripts/package" --arch "$ARCH" --from "$bin" --dist "$dist" --version "$version" >"$dist.log" 2>&1 \
    || die "scripts/package failed: $(tail -5 "$dist.log")"
  ZIP=$dist/Orvane-$version-$ARCH.zip
  SETUP=$dist/Orvane-$version-setup.exe
  MSI=$dist/Orvane-$version.msi
  if [ "$ARCH" = win64 ]; then
    SETUP=$dist/Orvane-$version-win64-setup.exe
    MSI=$dist/Orvane-$version-win64.msi
  fi
  for f in "$ZIP" "$SETUP" "$MSI"; do [ -f "$f" ] || die "no $(basename "$f")"; done
  # SHA256SUMS names every other file in the folder, with its right sum.
  local listed present
  listed=$(awk '{ print $2 }' "$dist/SHA256SUMS" | sort)
  present=$(find "$dist" -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort)
  [ -n "$listed" ] && [ "$listed" = "$present" ] || bad "SHA256SUMS lists $(echo $listed), the folder holds $(echo $present)"
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || bad "SHA256SUMS does not match the packages"
}

# unpack DIR WANT: the zip, the installer and the MSI unpacked into DIR/zip,
# DIR/setup, DIR/msi; each holds the files WANT lists, the same bytes in all.
unpack() {
  local dir=$1 want=$2 listing f
  listing=$(unzip -Z1 "$ZIP" | grep -v '/$' | sort)
  [ "$listing" = "$(sort <<<"$want")" ] || bad "the zip holds: $(echo $listing)"
  mkdir -p "$dir/zip" "$dir/setup" "$dir/msi"
  unzip -q "$ZIP" -d "$dir/zip" || die "cannot unpack the zip"
  7z x -y -o"$dir/setup" "$SETUP" >"$dir/7z.log" 2>&1 || die "7z cannot unpack the installer: $(tail -3 "$dir/7z.log")"
  msiextract -C "$dir/msi" "$MSI" >"$dir/msiextract.log" 2>&1 || die "msiextract cannot unpack the MSI"
  # msiextract names the 32-bit Program Files but not the 64-bit one.
  local msi=$dir/msi/$PRODUCT
  [ "$ARCH" = win32 ] && msi="$dir/msi/Program Files/$PRODUCT"
  listing=$(cd "$dir/msi" && find . -type f -printf '%P\n' | sort)
  [ "$listing" = "$(sed "s|^|${msi#$dir/msi/}/|" <<<"$want" | sort)" ] || bad "the MSI holds: $(echo $listing)"
  for f in $want; do
    cmp -s "$dir/zip/$f" "$dir/setup/$f" || bad "the installer's $f differs from the zip's"
    cmp -s "$dir/zip/$f" "$msi/$f" || bad "the MSI's $f differs from the zip's"
  done
  [ -f "$dir/setup/Uninstall.exe" ] || bad "the installer writes no uninstaller"
  [ -e "$dir/setup/NvUSB.dll" ] && bad "the installer puts the simulated camera beside the program"
}

# msi_value TABLE KEY: the second column of TABLE's row KEY in the MSI.
msi_value() { msiinfo export "$MSI" "$1" | tr -d '\r' | awk -F'\t' -v k="$2" '$1 == k { print $2 }'; }

contents() {
  pack "$BIN" "$T/dist" "$VERSION"
  grep -q 'UNSIGNED' "$T/dist.log" || bad "scripts/package did not say that it packed unsigned"
  unpack "$T/dist" "$WANT"
  # The shipped binaries as packed (stripped): exports, imports, no MinGW DLLs.
  if [ "$ARCH" = win32 ]; then
    "$ROOT/tests/product/CheckBinaries.sh" "$OBJDUMP" "$T/dist/zip" "$ROOT/device/Telvix.def" >"$T/check.log" \
      || bad "packaged binaries: $(grep FAIL "$T/check.log" | tr '\n' ' ')"
    "$OBJDUMP" -f "$SETUP" | grep -q 'file format pei-i386' || bad "the installer is not a 32-bit program"
  fi

  local readme=$T/dist/zip/README.txt
  [ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || bad "README.txt has lines without CRLF"
  grep -q '@' "$readme" && bad "README.txt has an unfilled @...@"
  grep -q "camera-sim" "$readme" && grep -q "NvUSB.dll" "$readme" && grep -q "PATH" "$readme" \
    || bad "README.txt does not say where NvUSB.dll goes and how to use the simulated camera"

  # What Windows Installer and the deployment tools go by: the installed
  # 32-bit package is only ever checked here on machines without 32-bit Wine.
  local programs=ProgramFilesFolder template=Intel
  [ "$ARCH" = win64 ] && programs=ProgramFiles64Folder template=x64
  [ "$(msi_value Property ProductVersion)" = "$VERSION" ] || bad "the MSI's ProductVersion is not $VERSION"
  [ "$(msi_value Property UpgradeCode)" = "$UPGRADE_CODE" ] || bad "the MSI's UpgradeCode changed"
  [ "$(msi_value Property ALLUSERS)" = 1 ] || bad "the MSI does not install per machine"
  [ "$(msi_value Directory INSTALLDIR)" = "$programs" ] || bad "the MSI does not install into $programs"
  grep -q "^Template: $template;" <<<"$(msiinfo suminfo "$MSI")" || bad "the MSI is not for $template"
  local product_code
  product_code=$(msi_value Property ProductCode)
  # The dock's presets: written only when given, passed on by a managed install.
  if [ "$SHIPPED_DOCK" = 1 ]; then
    local components
    components=$(msiinfo export "$MSI" Component | tr -d '\r')
    grep -q $'^DockArchivePreset\t.*\tARCHIVE OR REMOVE~="ALL"\t' <<<"$components" && grep -q $'^DockAuditPreset\t.*\tAUDITFILE OR REMOVE~="ALL"\t' <<<"$components" \
      || bad "the MSI writes the dock's presets unconditionally"
    grep -q ';ARCHIVE;AUDITFILE$' <<<"$(msi_value Property SecureCustomProperties)" \
      || bad "ARCHIVE and AUDITFILE are not secure properties of the MSI"
    # Registry values, in the view the package's programs read (a 64-bit
    # component: 256).
    local view=4
    [ "$ARCH" = win64 ] && view=260
    [ "$(awk -F'\t' '$1 ~ /^Dock(Archive|Audit)Preset$/ { print $4 }' <<<"$components" | sort -u)" = "$view" ] \
      || bad "the MSI writes the dock's presets outside the registry view of its programs"
  fi

  # Signed with a throwaway certificate whose key has a password, from a
  # folder that has the command-line tool (a stand-in where none was built).
  local keys=$T/keys password
  mkdir -p "$keys" "$T/signbin/camera-sim"
  password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  printf '%s\n' "$password" >"$keys/password"
  openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Orvane package test" -addext extendedKeyUsage=codeSigning \
    -keyout "$keys/key.pem" -passout "file:$keys/password" -out "$keys/cert.pem" >"$keys/log" 2>&1 \
    || die "openssl cannot make a certificate: $(tail -3 "$keys/log")"
  (cd "$BIN" && cp "${SHIPPED_PROGRAMS[@]}" "$T/signbin/") \
    && cp "$BIN/camera-sim/NvUSB.dll" "$T/signbin/camera-sim/" || die "cannot copy the binaries"
  ORVANE_SIGN_CERT=$keys/cert.pem ORVANE_SIGN_KEY=$keys/key.pem ORVANE_SIGN_PASSWORD_FILE=$keys/password \
    pack "$T/signbin" "$T/signed" "$VERSION"
  grep -q "$password" "$T/signed.log" && bad "scripts/package printed the key's password"
  unpack "$T/signed" "$WANT"
  [ "$(msi_value Property ProductCode)" = "$product_code" ] || bad "two builds of one version have different ProductCodes"
  local f
  for f in "$T"/signed/zip/*.exe "$T"/signed/zip/*.dll "$T"/signed/zip/camera-sim/*.dll "$T/signed/setup/Uninstall.exe" \
           "$SETUP" "$MSI"; do
    osslsigncode verify -CAfile "$keys/cert.pem" -in "$f" >"$T/verify.log" 2>&1 \
      || bad "not validly signed: ${f#$T/}: $(grep -iE 'fail|error' "$T/verify.log" | head -2 | tr '\n' ' ')"
  done
}

# The probe drives the program it starts; prints its report. Each step waits
# for a window or the program's end; the bound only turns a hang into a
# failure, and is far above what a loaded machine takes.
probe() { "$WINE" "$PROBE" --timeout 120000 "$@" 2>&1; }
sign_in_and_out() {
  probe start "$1" signin-window connect account 0 password 888888 signin click 2 signin-window click 1004 exit
}

# copy_prefix DIR: a scratch copy of the shared prefix, which other tests use
# meanwhile (their files come and go in its Temp, drives are plugged, the
# registry is written out): its Temp is left out, and an entry that vanishes
# while it is read is no failure (tar's status 1); any other error is.
copy_prefix() {
  mkdir -p "$1" || return 1
  tar -C "$WINEPREFIX_ORIGINAL" --exclude='./drive_c/users/*/Temp/*' --warning=no-file-removed \
    --warning=no-file-changed --warning=no-file-shrank -cf - . | tar -C "$1" -xpf -
  local status=("${PIPESTATUS[@]}")
  [ "${status[0]}" -le 1 ] && [ "${status[1]}" = 0 ]
}

# Waits until every program of the scratch prefix has ended and its
# wineserver has written out the registry and gone. Bounded only so that a
# hung program fails the test with its name rather than at the time limit.
settle_prefix() {
  timeout 300 "$WINESERVER" -w && return 0
  bad "programs still running in $WINEPREFIX after 300 s: $(pgrep -a -f '\.exe' | head -5 | tr '\n' ' ')"
  "$WINESERVER" -k  # writes out the registry before it goes
}

# dock_starts DIR: the dock installed in DIR starts: its window or its
# first-start settings show (it finds every DLL it needs); then it is ended.
dock_starts() {
  "$WINE" "$1\\OrvaneDock.exe" </dev/null >"$T/dock.log" 2>&1 &
  local dock=$!
  "$WINE" "$BIN/DockProbe.exe" --timeout 120000 attach >>"$T/dock.log" 2>&1 \
    || bad "the installed dock showed neither its window nor its settings: $(tail -3 "$T/dock.log" | tr '\n' ' ')"
  kill "$dock" 2>/dev/null
  wait "$dock" 2>/dev/null
}

run() {
  [ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] || die "needs DISPLAY and WINEPREFIX"
  # No menu entries for the shortcut in the host's home.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
  PROBE=$BIN/SignInProbe.exe
  [ -f "$PROBE" ] || die "no SignInProbe.exe in $BIN"
  [ "$ARCH" = win64 ] && echo "note: this machine runs no 32-bit programs; testing the 64-bit packages," \
    "built by the same scripts; the win32 packages are tested where 32-bit programs run"
  pack "$BIN" "$T/dist" "$VERSION"
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
  SCRATCH_PREFIX=$T/prefix WINEPREFIX_ORIGINAL=$WINEPREFIX
  copy_prefix "$SCRATCH_PREFIX" || die "cannot copy the Wine prefix"
  export WINEPREFIX=$SCRATCH_PREFIX
  local drive=$SCRATCH_PREFIX/drive_c dir key
  "$WINE" "$SETUP" /S >"$T/setup.log" 2>&1 || bad "the silent installer failed: $(tail -3 "$T/setup.log")"
  # The installer's own Program Files: a 32-bit one runs in a 32-bit prefix.
  dir="$("$WINE" cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')\\Kestrava"
  local unixdir=$drive/${dir#C:\\}
  unixdir=${unixdir//\\//}
  local f
  for f in $WANT Uninstall.exe; do
    [ -f "$unixdir/$f" ] || bad "not installed: $dir\\$f"
  done
  [ -e "$unixdir/NvUSB.dll" ] && bad "the simulated camera was installed beside the program"
  local menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs" name
  for name in "${SHORTCUTS[@]}"; do
    [ -f "$menu/$name.lnk" ] || bad "no Start-menu shortcut $name for all users"
  done
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
  [ "$SHIPPED_DOCK" = 1 ] && dock_starts "$dir"

  # The uninstaller copies itself away and returns at once; its copy removes
  # the folder before the registry key, so it has finished only when the
  # prefix has no program left.
  "$WINE" "$dir\\Uninstall.exe" /S >"$T/uninstall.log" 2>&1 || bad "the silent uninstaller failed"
  settle_prefix
  [ -e "$unixdir" ] && bad "left behind: $(cd "$drive" && find "${unixdir#$drive/}" | tr '\n' ' ')"
  for name in "${SHORTCUTS[@]}"; do
    [ -e "$menu/$name.lnk" ] && bad "left behind: the Start-menu shortcut $name"
  done
  "$WINE" reg query "$key" >/dev/null 2>&1 && bad "left behind: $key"

  msi
}

# Windows Installer's registry form of a GUID: the first three groups
# reversed, each byte after them with its two digits swapped.
packed_guid() {
  local g=${1//[\{\}-]/} out= i
  for i in 7 6 5 4 3 2 1 0 11 10 9 8 15 14 13 12; do out+=${g:i:1}; done
  for ((i = 16; i < 32; i += 2)); do out+=${g:i+1:1}${g:i:1}; done
  echo "$out"
}

# The entries of Add/Remove Programs named as ours, one "version" line each.
arp_versions() {
  "$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' \
    | awk -v p="$PRODUCT" '/^HKEY/ { name = ""; version = "" }
        $1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { version = $3 }
        name == p && version != "" { print version; name = "" }'
}

# registry_ours PREFIX PATTERN: the lines of PREFIX's registry files that
# match PATTERN, a key's without its time stamp, once each; what the MSI left
# is what this holds after its removal and did not before its install.
registry_ours() {
  grep -h -i -E "$2" "$1"/*.reg | sed -E 's/^(\[.*\]) [0-9]+$/\1/' | LC_ALL=C sort -u
}

# The MSI, silently over an older version's package, in a fresh copy of the
# prefix: one entry and the new files; the program signs in; silent removal
# leaves no file, shortcut or registry entry of ours.
msi() {
  local new_msi=$MSI product_code old_version out
  product_code=$(msi_value Property ProductCode)
  # Lower in the fourth field only, which Windows Installer does not compare.
  old_version=${VERSION%.*}.$((${VERSION##*.} - 1))
  [ "${VERSION##*.}" -gt 0 ] || old_version=0.0.0.1
  pack "$BIN" "$T/old" "$old_version"
  local old_msi=$MSI

  WINEPREFIX=$SCRATCH_PREFIX "$WINESERVER" -k 2>/dev/null
  SCRATCH_PREFIX=$T/prefix-msi
  copy_prefix "$SCRATCH_PREFIX" || die "cannot copy the Wine prefix"
  export WINEPREFIX=$SCRATCH_PREFIX
  # Ours in the registry before the install: the shared prefix's tests may
  # have left the product's empty keys, and its wineserver writes them out
  # when it will.
  local pattern before
  pattern="$PRODUCT|$(packed_guid "$product_code")|$(packed_guid "$UPGRADE_CODE")|${product_code//[\{\}]/}"
  before=$(registry_ours "$SCRATCH_PREFIX" "$pattern")
  local drive=$SCRATCH_PREFIX/drive_c dir unixdir
  dir="$("$WINE" cmd /c 'echo %ProgramFiles%' 2>/dev/null | tr -d '\r')\\$PRODUCT"
  unixdir=$drive/${dir#C:\\}
  unixdir=${unixdir//\\//}

  "$WINE" msiexec /i "Z:${old_msi//\//\\}" /qn >"$T/msi-old.log" 2>&1 || bad "msiexec /i of the older MSI failed"
  [ "$(arp_versions)" = "$old_version" ] || bad "after installing $old_version, Add/Remove Programs has: $(arp_versions | tr '\n' ' ')"
  local presets=()
  [ "$SHIPPED_DOCK" = 1 ] && presets=('ARCHIVE=D:\Evidence dock' 'AUDITFILE=D:\Audit\dock.jsonl')
  "$WINE" msiexec /i "Z:${new_msi//\//\\}" "${presets[@]}" /qn >"$T/msi-new.log" 2>&1 || bad "msiexec /i of the MSI failed"
  if [ "$SHIPPED_DOCK" = 1 ]; then
    out=$("$WINE" reg query "$POLICY_KEY" 2>/dev/null | tr -d '\r')
    grep -Eq '^ +Archive +REG_SZ +D:\\Evidence dock$' <<<"$out" && grep -Eq '^ +AuditFile +REG_SZ +D:\\Audit\\dock\.jsonl$' <<<"$out" \
      || bad "the MSI did not write the dock's presets: $(echo $out)"
  fi
  [ "$(arp_versions)" = "$VERSION" ] || bad "after the upgrade, Add/Remove Programs has: $(arp_versions | tr '\n' ' ')"
  "$WINE" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code" /v InstallLocation \
    2>/dev/null | tr -d '\r' | grep -qF "$dir\\" || bad "Add/Remove Programs does not show the install location"

  local f
  for f in $WANT; do
    cmp -s "$T/portable/$f" "$unixdir/$f" || bad "after the upgrade, $dir\\$f is not the new one"
  done
  [ -e "$unixdir/NvUSB.dll" ] && bad "the MSI installed the simulated camera beside the program"
  # Windows puts a per-machine package's shortcut in the all-users menu; Wine
  # in the installing user's.
  shortcuts() { find "$drive/ProgramData" "$drive/users" -path "*/Start Menu/Programs/*" -name "$PRODUCT*.lnk"; }
  [ "$(shortcuts | wc -l)" = "${#SHORTCUTS[@]}" ] || bad "the MSI made the Start-menu shortcuts: $(shortcuts | tr '\n' ' ')"

  out=$(WINEPATH="$dir\\camera-sim" sign_in_and_out "$dir\\Orvane.exe") \
    || bad "the program installed by the MSI did not sign in and end: $(grep probe: <<<"$out")"
  [ -f "$unixdir/camera-sim/nvusb-sim-log.txt" ] || bad "the simulated camera installed by the MSI wrote no log"

  "$WINE" msiexec /x "Z:${new_msi//\//\\}" /qn >"$T/msi-remove.log" 2>&1 || bad "msiexec /x failed"
  [ -e "$unixdir" ] && bad "left behind by the MSI: $(cd "$drive" && find "${unixdir#$drive/}" | tr '\n' ' ')"
  [ -n "$(shortcuts)" ] && bad "left behind by the MSI: $(shortcuts)"
  [ -n "$(arp_versions)" ] && bad "left behind by the MSI: an Add/Remove Programs entry"
  # The registry as Wine keeps it, once written out: no name, path or code of ours.
  settle_prefix
  local ours
  # Wine keeps the dock's policy key once its values are gone (Windows drops
  # an empty key): the key alone, without a value, is no leftover.
  ours=$(LC_ALL=C comm -13 <(echo "$before") <(registry_ours "$SCRATCH_PREFIX" "$pattern") \
    | grep -v -F '\\Policies\\Kestrava\\OrvaneDock]')
  local presets_left
  presets_left=$("$WINE" reg query "$POLICY_KEY" 2>/dev/null | tr -d '\r' | grep REG_)
  [ -z "$presets_left" ] || bad "left behind by the MSI: the dock's presets: $(echo $presets_left)"
  [ -z "$ours" ] || bad "left behind by the MSI in the registry: $(head -3 <<<"$ours" | tr '\n' ' ')"
}

case $MODE in
  contents) contents ;;
  run) run ;;
  *) die "mode is contents or run" ;;
esac
exit $fail
