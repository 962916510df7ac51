#!/bin/sh
# Awkward inputs for the SZDD compressor, each with its compressed form (<name>.SZ_),
# for the test that expands them with the LZ functions under Wine.
# Usage: make_szdd_cases.sh <szdd tool> <output folder>
set -eu
szdd=$1; out=$2
mkdir -p "$out"
: > "$out/empty"
printf 'a' > "$out/one"
head -c 70000 /dev/zero > "$out/zeros"
printf '                    spaces first' > "$out/spaces"
head -c 5000 /dev/urandom > "$out/r5k"
cat "$out/r5k" "$out/r5k" "$out/r5k" > "$out/repeat"
head -c 100000 /dev/urandom > "$out/random"
for f in empty one zeros spaces repeat random; do
  "$szdd" "$out/$f" "$out/$f.SZ_" X
done
