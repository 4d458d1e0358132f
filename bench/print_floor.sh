#!/usr/bin/env bash
# 1,000 and 10,000 demo cheques into one PDF: the Qt floor (QPdfWriter drawn directly) against
# the program's path (BillPrinter on the PDF surface), each run in its own process so that the
# peak memory is the run's own. The two ways alternate, so a busy machine slows both alike;
# the medians of the runs are printed.
# Usage: bench/print_floor.sh [build-dir] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
bench=$(realpath "$build/bench/bench_print_floor")
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { grep -o "$1=[0-9.]*" | cut -d= -f2; }

for bills in 1000 10000; do
  out=$(mktemp)
  for ((r = 0; r < runs; r++)); do
    for mode in floor program; do "$bench" "$mode" "$bills" >> "$out"; done
  done
  for mode in floor program; do
    lines=$(grep "mode=$mode " "$out")
    printf 'bills=%s mode=%s wall_s=%s cpu_s=%s rss_before_mib=%s rss_after_mib=%s peak_mib=%s (median of %s)\n' \
      "$bills" "$mode" "$(field wall_s <<< "$lines" | median)" "$(field cpu_s <<< "$lines" | median)" \
      "$(field rss_before_mib <<< "$lines" | median)" "$(field rss_after_mib <<< "$lines" | median)" \
      "$(field peak_mib <<< "$lines" | median)" "$runs"
  done
  rm -f "$out"
done
