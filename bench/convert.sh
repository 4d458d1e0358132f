#!/usr/bin/env bash
# `kestrio convert 103` of 1,000,000 amounts against a plain C++ loop that writes the same
# capital texts (bench/ConvertAnchor.cpp): whole processes, one after the other, medians of
# the runs; the two outputs must be the same byte for byte.
# Usage: bench/convert.sh [build-dir] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
kestrio=$(realpath "$build/kestrio")
anchor=$(realpath "$build/bench/convert_anchor")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# Amounts from fen to hundreds of 亿, spread evenly over the magnitudes, always with two decimals.
awk 'BEGIN { srand(7); for (i = 0; i < 1000000; i++) { fen = int(10 ^ (rand() * 12.5)); printf "%d.%02d\n", int(fen / 100), fen % 100 } }' \
  > "$work/amounts.txt"
"$kestrio" --data-dir "$work/app" convert 103 < "$work/amounts.txt" > "$work/program.txt"
"$anchor" < "$work/amounts.txt" > "$work/anchor.txt"
cmp "$work/program.txt" "$work/anchor.txt"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for ((r = 0; r < runs; r++)); do
  /usr/bin/time -f "program %e %U %S" -a -o "$work/times" "$kestrio" --data-dir "$work/app" convert 103 \
    < "$work/amounts.txt" > /dev/null
  /usr/bin/time -f "anchor %e %U %S" -a -o "$work/times" "$anchor" < "$work/amounts.txt" > /dev/null
done
for who in program anchor; do
  wall=$(awk -v w=$who '$1 == w { print $2 }' "$work/times" | median)
  cpu=$(awk -v w=$who '$1 == w { print $3 + $4 }' "$work/times" | median)
  echo "$who: wall_s=$wall cpu_s=$cpu (median of $runs, 1,000,000 amounts, outputs identical)"
done
