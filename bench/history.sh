#!/usr/bin/env bash
# The history page and the lookups made while typing, through the whole program, on a
# history of 1,000,000 rows: 50,000 bills of the demo format 转账支票 (one row per box) and
# the rest in other formats. The engine's own query, streamed by the sqlcipher shell, is the
# anchor for reading every bill.
# Usage: bench/history.sh path/to/kestrio [runs]
set -euo pipefail
kestrio="${1:?path to kestrio}"
runs="${2:-5}"
dir="${KESTRIO_BENCH_DIR:-${TMPDIR:-/tmp}/kestrio-bench-history}"
format=转账支票
mkdir -p "$dir"
rows=$("$kestrio" --data-dir "$dir" sql "SELECT count(*) AS n FROM 历史" | tail -n 1)
if [ "$rows" != "1000000" ]; then
  # The payee fills the drawer's account from the latest bill that had it (a related lookup).
  "$kestrio" --data-dir "$dir" edit-format "$format" --set-box 收款人 related-to=出票人账号 >/dev/null
  "$kestrio" --data-dir "$dir" sql "DELETE * FROM 历史"
  boxes=$("$kestrio" --data-dir "$dir" sql "SELECT count(*) AS n FROM Fmt WHERE Fmt='$format' AND Clas<=2 AND LBL<>'【§单据整体格式参数§】'" | tail -n 1)
  "$kestrio" --data-dir "$dir" sql "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<50000) INSERT INTO 历史(ID,Fmt,CID,Con,SaveTime) SELECT n.i, '$format', b.ID, b.LBL||'-'||(n.i%997), '2026-12-08 09:00:00' FROM n, (SELECT ID,LBL FROM Fmt WHERE Fmt='$format' AND Clas<=2 AND LBL<>'【§单据整体格式参数§】') AS b"
  rest=$((1000000 - 50000 * boxes - 1))
  "$kestrio" --data-dir "$dir" sql "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<$rest) INSERT INTO 历史(ID,Fmt,CID,Con) SELECT i/20+1, '其他格式', 900000+(i%20), '内容'||i FROM n"
fi
"$kestrio" --data-dir "$dir" formats >/dev/null # warm-up: the first start after filling builds the indexes
timed() { # label, command...: wall seconds and peak memory of each run
  local label="$1"; shift
  for _ in $(seq "$runs"); do /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -n 1; done |
    sort -n | awk -v l="$label" '{ t[NR] = $1; m[NR] = $2 } END { printf "%-34s median %.2f s, peak %.1f MiB\n", l, t[int((NR + 1) / 2)], m[int((NR + 1) / 2)] / 1024 }'
}
timed "history --limit 300" "$kestrio" --data-dir "$dir" history --format "$format" --limit 300
timed "history (all 50,000 bills)" "$kestrio" --data-dir "$dir" history --format "$format"
timed "engine: the same rows streamed" sqlcipher "$dir/DATA.mdb" \
  "PRAGMA key='40260813'; SELECT ID,CID,Con,SaveTime FROM 历史 WHERE Fmt='$format' ORDER BY ID DESC"
timed "fill, a payee never seen" "$kestrio" --data-dir "$dir" fill --format "$format" --set "收款人=从未出现的单位"
timed "fill, a payee seen before" "$kestrio" --data-dir "$dir" fill --format "$format" --set "收款人=收款人-5"
timed "formats (start-up alone)" "$kestrio" --data-dir "$dir" formats
