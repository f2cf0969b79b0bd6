#!/usr/bin/env bash
# Checks the shipped Windows binaries as a Windows loader would see them:
# plain export names, and no DLL beyond Windows' own (and Telvix.dll);
# and, as built, no thread_local object with a destructor in any binary.
# orvanectl.exe has its own check (tests/cli/CheckOrvanectl.sh).
# usage: CheckBinaries.sh OBJDUMP BIN_DIR
set -u
OBJDUMP=$1 BIN=$2
source "$(dirname "$0")/../../scripts/lib/shipped.sh"
fail=0
bad() { echo "FAIL: $*"; fail=1; }

exports() { "$OBJDUMP" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^$/{t=0}'; }
# "ordinal name" of each export: the name table gives each name's index in
# the address table, which counts from the ordinal base.
exports_by_ordinal() {
  "$OBJDUMP" -p "$1" | awk '/Ordinal Base/{base=$NF} /\[Ordinal\/Name Pointer\] Table/{t=1;next}
    t&&/^[ \t]*\[/{gsub(/[][]/," "); print $1+base, $NF} t&&/^$/{t=0}'
}
dlls() { "$OBJDUMP" -p "$1" | sed -n "s/^[[:space:]]*DLL Name: //p"; }
imports_from() {
  # The names listed between "DLL Name: <dll>" and the next blank line.
  "$OBJDUMP" -p "$1" | awk -v dll="$2" '
    /DLL Name:/ { cur = $3; next }
    /^[ \t]*$/ { cur = ""; next }
    cur == dll && /^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print $3 }'
}

SYSTEM='^(KERNEL32|USER32|GDI32|COMCTL32|ADVAPI32|SHELL32|ole32|OLEAUT32|msvcrt|api-ms-win-.*)\.dll$'

check_imports() {
  local file=$1 allowed=$2 d
  for d in $(dlls "$file"); do
    echo "$d" | grep -Eiq "$allowed" || bad "$(basename "$file") imports $d"
  done
}

# Telvix.dll: exactly these names at these ordinals, undecorated (a stdcall
# "Name@8" or a C++ name would not be found), in the order of their
# ordinals. A caller may bind by ordinal: the first 30 keep the ordinals
# they always had, later ones come after.
want=$(printf '%s\n' FormatDecTF GetIDCode GetVUZInfo Init_Device Read4GAPN Read4GPIN ReadCameraSerialNo \
  ReadDeviceBatteryDumpEnergy ReadDeviceResolution ReadSDCapacity ReadServerIP ReadServerPort ReadWifiMode ReadWifiPSW \
  ReadWifiSSID Set4GAPN Set4GPIN SetAdminPassWord SetCameraSerialNo SetMSDC SetServerIP SetServerPort SetUserPassWord \
  SetWifiMode SetWifiPSW SetWifiSSID SyncDevTime UnInit_Device WriteVUZInfo client_login \
  GetDeviceLink UseDeviceLink | awk '{print NR, $0}' | sort)
have=$(exports_by_ordinal "$BIN/Telvix.dll" | sort)
echo "$have" | grep -q '@' && bad "Telvix.dll exports decorated names: $(echo "$have" | grep '@' | tr '\n' ' ')"
[ "$want" = "$have" ] || bad "Telvix.dll exports differ (ordinal name): $(diff <(echo "$want") <(echo "$have") | tr '\n' ' ')"
echo "Telvix.dll exports $(echo "$have" | wc -l) names"
check_imports "$BIN/Telvix.dll" "$SYSTEM"

# The simulated camera: the vendor library's four entries.
have=$(exports "$BIN/camera-sim/NvUSB.dll" | sort | tr '\n' ' ')
[ "$have" = "NvUSB_ConnectToDevice NvUSB_GetFirstAvailableDevice NvUSB_VenderCmd_GetData NvUSB_VenderCmd_SetData " ] \
  || bad "NvUSB.dll exports: $have"
check_imports "$BIN/camera-sim/NvUSB.dll" "$SYSTEM"

# The program: Telvix.dll by name at load time, 26 of its functions.
if [ -f "$BIN/Orvane.exe" ]; then
  check_imports "$BIN/Orvane.exe" "$SYSTEM|^Telvix\.dll$"
  dlls "$BIN/Orvane.exe" | grep -qx 'Telvix.dll' || bad "Orvane.exe does not import Telvix.dll"
  n=$(imports_from "$BIN/Orvane.exe" Telvix.dll | sort -u | wc -l)
  echo "Orvane.exe imports $n functions of Telvix.dll"
  [ "$n" = 26 ] || bad "Orvane.exe imports $n functions of Telvix.dll, not 26: $(imports_from "$BIN/Orvane.exe" Telvix.dll | tr '\n' ' ')"
else
  bad "Orvane.exe was not built"
fi
# The dock window: a window program (subsystem 2), Telvix.dll by name, and
# beyond Windows' own DLLs only those every Windows since Vista has: DPAPI
# (crypt32) for the password, the platform's hashing (bcrypt), Unicode
# normalization for names in bags (Normaliz) and the HTTP of an archive on
# object storage (WinHTTP).
if [ -f "$BIN/OrvaneDock.exe" ]; then
  subsystem=$("$OBJDUMP" -p "$BIN/OrvaneDock.exe" | awk '/^Subsystem/ {print $2}')
  [ "$subsystem" = 00000002 ] || bad "OrvaneDock.exe has subsystem $subsystem, not 2 (a window program)"
  check_imports "$BIN/OrvaneDock.exe" "$SYSTEM|^(CRYPT32|bcrypt|Normaliz|WINHTTP|Telvix)\.dll$"
  dlls "$BIN/OrvaneDock.exe" | grep -qx 'Telvix.dll' || bad "OrvaneDock.exe does not import Telvix.dll"
  echo "OrvaneDock.exe imports $(dlls "$BIN/OrvaneDock.exe" | tr '\n' ' ')"
elif [ "$SHIPPED_DOCK" = 1 ]; then
  bad "OrvaneDock.exe was not built"
fi
# The static MinGW runtime frees a thread's thread_local storage before it
# runs their destructors: a thread_local std::string was destroyed in freed
# memory at each thread's end. Registering such a destructor links this in.
NM=${OBJDUMP%objdump}nm
for f in "$BIN"/*.exe "$BIN"/*.dll "$BIN"/camera-sim/*.dll; do
  [ -f "$f" ] || continue
  "$NM" "$f" 2>/dev/null | grep -Eq ' _{2,3}cxa_thread_atexit$' \
    && bad "$(basename "$f") has a thread_local object with a destructor (platform/ThreadErrorText.h says why)"
done

exit $fail
