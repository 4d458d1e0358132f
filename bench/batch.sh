#!/usr/bin/env bash
# `kestrio batch` of 1,000 and 10,000 demo cheques from a CSV file into one PDF: wall time,
# processor time and peak memory of the whole process (GNU time).
# Usage: bench/batch.sh [build-dir]
set -euo pipefail
build=${1:-build}
kestrio=$(realpath "$build/kestrio")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$kestrio" --data-dir "$work/app" formats > /dev/null

for bills in 1000 10000; do
  csv="$work/cheques-$bills.csv"
  for ((i = 0; i < bills; i++)); do
    printf '长城贸易公司第%d分公司,%d.%02d,货款,中国工商银行北京分行,0200001234567890123\r\n' \
      $((i + 1)) $((1000 + 37 * i)) $((i % 100))
  done > "$csv"
  /usr/bin/time -f "bills=$bills wall_s=%e cpu_s=%U+%S peak_kib=%M" \
    "$kestrio" --data-dir "$work/app" batch --format 转账支票 --source "$csv" --start 1 \
      --map 收款人=A --map 小写金额=B --map 用途=C --map 付款行名称=D --map 出票人账号=E \
      --pdf "$work/out-$bills.pdf" --today 2026-12-08 2>&1 >/dev/null | tail -1
done
