#!/usr/bin/env bash
# archive verify over every bag of the public BagIt conformance suite, one
# run per bag: valid and warning bags exit 0; invalid, windows-only and
# linux-only ones exit 1 (their paths lead out of the bag somewhere). The
# one bag with only SHA-224 manifests is valid where SHA-224 is computed
# (natively) and cannot be checked under Windows CNG.
#   BagConformance.sh BIN_DIR SIM_DIR SUITE_DIR [WINE_LOADER]
set -u
BIN=$1 SIM=$2 SUITE=$3 WINE=${4:-}
WORK=$(mktemp -d)
trap 'chmod -R u+w "$WORK"; rm -rf "$WORK"' EXIT
fails=0
source "$(dirname "$0")/ToolUnderTest.sh"

if [ ! -d "$SUITE/v1.0" ] || [ ! -d "$SUITE/v0.97" ]; then
  echo "FAIL: no BagIt conformance suite at $SUITE (set ORVANE_BAGIT_CONFORMANCE)"
  exit 1
fi
# A copy: the suite may be read-only, and version control may drop the
# empty .DS_Store its manifest lists.
cp -r "$SUITE" "$WORK/suite" && chmod -R u+w "$WORK/suite"
: >"$WORK/suite/v0.97/warning/special-system-files/data/.DS_Store"

sha224=v0.97/valid/uncommon-metadata-separators
bags=0
for bag in "$WORK"/suite/v*/*/*/; do
  bag=${bag%/} name=${bag#"$WORK/suite/"}
  case $name in
    */valid/* | */warning/*) expected=0 ;;
    *) expected=1 ;;
  esac
  [ "$name" = "$sha224" ] && [ -n "$WINE" ] && expected=1
  out=$("${TOOL[@]}" archive verify "$(winpath "$bag")" 2>&1 </dev/null)
  rc=$?
  bags=$((bags + 1))
  [ "$rc" = "$expected" ] || fail "$name: exit $rc, expected $expected: $out"
  if [ "$name" = "$sha224" ] && [ -n "$WINE" ]; then
    grep -q "cannot be checked (sha224)" <<<"$out" || fail "$name: not said why: $out"
  fi
done
[ "$bags" -ge 40 ] || fail "only $bags bags found in $SUITE"

echo "$bags bags, $fails disagreements"
[ "$fails" = 0 ]
