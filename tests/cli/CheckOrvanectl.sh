#!/usr/bin/env bash
# Checks orvanectl.exe as Windows would load it: a console program, the
# C and C++ runtimes linked in, Telvix.dll imported by name, and otherwise
# only DLLs every Windows has (bcrypt.dll, the platform's hashing, and
# Normaliz.dll, Unicode normalization for names in bags, both since Vista;
# WINHTTP.dll, the HTTP of an archive on object storage, since XP SP2).
#   CheckOrvanectl.sh OBJDUMP BIN_DIR
#   CheckOrvanectl.sh --headers FILE   (a captured `objdump -p` text instead)
set -u
fail=0
bad() { echo "FAIL: $*"; fail=1; }
if [ "$1" = --headers ]; then
  headers=$(cat "$2") || exit 1
else
  OBJDUMP=$1 EXE=$2/orvanectl.exe
  [ -f "$EXE" ] || { echo "FAIL: $EXE was not built"; exit 1; }
  headers=$("$OBJDUMP" -p "$EXE")
fi

subsystem=$(echo "$headers" | awk '/^Subsystem/ {print $2}')
[ "$subsystem" = 00000003 ] || bad "subsystem $subsystem, not 3 (console)"

SYSTEM='^(KERNEL32|USER32|ADVAPI32|bcrypt|Normaliz|WINHTTP|msvcrt|api-ms-win-.*)\.dll$'
dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p')
for d in $dlls; do
  [ "$d" = Telvix.dll ] && continue
  echo "$d" | grep -Eiq "$SYSTEM" || bad "imports $d"
done
echo "$dlls" | grep -qx Telvix.dll || bad "does not import Telvix.dll"

# Entries of Telvix.dll: "vma hint name" when imported by name; binutils
# shows an ordinal import as "vma ordinal <none>".
telvix=$(echo "$headers" | awk '/DLL Name:/ {cur = $3; next} /^[ \t]*$/ {cur = ""; next}
  cur == "Telvix.dll" && /^[ \t]+[0-9a-f]+[ \t]+[0-9]+/ {print}')
[ -n "$telvix" ] || bad "no entries imported from Telvix.dll"
ordinals=$(echo "$telvix" | awk 'NF < 3 || $3 == "<none>"')
[ -z "$ordinals" ] || bad "Telvix.dll entries imported by ordinal: $ordinals"
echo "orvanectl.exe: subsystem $subsystem, imports $(echo $dlls), $(echo "$telvix" | grep -vc "<none>") functions of Telvix.dll by name"
exit $fail
