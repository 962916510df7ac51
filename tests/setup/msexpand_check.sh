#!/bin/sh
# The SZDD compressor against Debian's msexpand: awkward inputs, and the programs on the
# install disk, must expand back to the original bytes.
# Usage: msexpand_check.sh <szdd tool> <disk folder> <program.exe>...
set -eu
szdd=$1; disk=$2; shift 2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
check() {  # original compressed
  msexpand < "$2" > "$work/out" || { echo "msexpand failed on $2"; exit 1; }
  cmp "$1" "$work/out" || { echo "expanded $2 differs from $1"; exit 1; }
}
: > "$work/empty"
printf 'a' > "$work/one"
head -c 70000 /dev/zero > "$work/zeros"          # long runs, matches overlapping their source
printf '                    spaces first' > "$work/spaces"  # the window starts filled with spaces
head -c 200000 /dev/urandom > "$work/random"     # nothing to match
{ head -c 5000 /dev/urandom > "$work/r5k"; cat "$work/r5k" "$work/r5k" "$work/r5k"; } > "$work/repeat"  # matches ~4 KiB back
for f in empty one zeros spaces random repeat; do
  "$szdd" "$work/$f" "$work/$f._" X
  check "$work/$f" "$work/$f._"
done
for exe in "$@"; do
  name=$(basename "$exe" .exe | tr a-z A-Z)
  check "$exe" "$disk/$name.EX_"
done
echo "msexpand expands every compressed file back to its original"
