#!/usr/bin/env bash
# Builds the shipped Windows binaries twice, from two copies of the sources
# at different paths, and checks that they come out byte for byte the same,
# and so do the zip and the installer packed from them with one
# SOURCE_DATE_EPOCH: anyone can then rebuild a release from its commit and
# compare. (The MSI holds the time it was made and a fresh package code.)
# usage: ReproducibleBuild.sh [win32|win64]   (default win32, the product)
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"

ARCH=${1:-win32}
case $ARCH in
  win32) TOOLCHAIN=mingw-i686 OBJDUMP=i686-w64-mingw32-objdump ;;
  win64) TOOLCHAIN=mingw-x86_64 OBJDUMP=x86_64-w64-mingw32-objdump ;;
  *) die "the architecture is win32 or win64, not '$ARCH'" ;;
esac
source "$ROOT/scripts/lib/shipped.sh"
SHIPPED=("${SHIPPED_PROGRAMS[@]}" camera-sim/NvUSB.dll)

T=$(mktemp -d /tmp/orvane-reproducible.XXXXXX)
trap 'rm -rf "$T"' EXIT

# The tracked files as they are in the worktree, at a path of each length.
copy_sources() {
  mkdir -p "$1" && (cd "$ROOT" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$1" \
    || die "cannot copy the sources to $1"
}

build() {
  local src=$1 dir=$1/build/$ARCH targets=("${SHIPPED_TARGETS[@]}")
  cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$TOOLCHAIN.cmake" \
    -DORVANE_TESTS=OFF >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; die "configure failed in $src"; }
  cmake --build "$dir" -j "$JOBS" --target "${targets[@]}" >"$dir.build.log" 2>&1 \
    || { tail -40 "$dir.build.log"; die "build failed in $src"; }
}

A=$T/a/orvane B=$T/second-copy/of-the-sources
copy_sources "$A" && copy_sources "$B"
mkdir -p "$A/build" "$B/build"
say "building $ARCH in $A and in $B"
build "$A"
build "$B"

fail=0
for f in "${SHIPPED[@]}"; do
  a=$A/build/$ARCH/bin/$f b=$B/build/$ARCH/bin/$f
  if cmp -s "$a" "$b"; then
    say "same: $f ($(stat -c %s "$a") bytes)"
    continue
  fi
  fail=1
  say "FAIL: $f differs between the two builds; first differing bytes (offset, octal a, octal b):"
  cmp -l "$a" "$b" | head -8
  diff <("$OBJDUMP" -h "$a") <("$OBJDUMP" -h "$b") | head -20
done
for dir in "$A" "$B"; do
  SOURCE_DATE_EPOCH=1700000000 "$dir/scripts/package" --arch "$ARCH" --from "$dir/build/$ARCH/bin" \
    --dist "$dir/dist" >"$dir/package.log" 2>&1 || { cat "$dir/package.log"; die "scripts/package failed in $dir"; }
done
for f in "$A"/dist/*.zip "$A"/dist/*setup.exe; do
  f=${f#$A/dist/}
  if cmp -s "$A/dist/$f" "$B/dist/$f"; then say "same: $f"; else say "FAIL: $f differs between the two builds"; fail=1; fi
done
# No build path may be left in a binary even where both builds happen to agree.
for f in "${SHIPPED[@]}"; do
  grep -q -a -e "$T" "$A/build/$ARCH/bin/$f" && { say "FAIL: $f holds its build path"; fail=1; }
done
exit $fail
