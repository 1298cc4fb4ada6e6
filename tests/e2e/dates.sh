#!/usr/bin/env bash
# tarvon-batch as a user runs it on a contract with dates that do not
# exist: each such row is refused naming the cell and what the month has,
# the others are computed, and the exit status says some rows were refused.
# Usage: dates.sh TARVON_TABLE TARVON_BATCH SAMPLE_CSV
set -euo pipefail
TARVON_TABLE=$(realpath "$1") TARVON_BATCH=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
fail() { echo "FAIL: $*" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
"$TARVON_TABLE" import "$SAMPLE_CSV" KTABLE.DAT >/dev/null || fail "sample table"
cat >contract.csv <<'CSV'
formula,bid_day,bid_month,bid_year,day,month,year,installment,amount
1,31,11,2562,30,12,2562,1 อาคาร,1000000
1,1,11,2562,29,2,2562,2 อาคาร,1000000
1,1,1,2562,0,9,2562,3 อาคาร,1000000
1,1,1,2562,30,9,2562,4 อาคาร,1000000
CSV
status=0
"$TARVON_BATCH" contract.csv >summary.txt 2>said.txt || status=$?
[ "$status" = 1 ] || fail "exit status $status, not 1 (some rows refused)"
for want in "แถวที่ 2: ช่อง bid_day: เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน" \
            "แถวที่ 3: ช่อง day: เดือนกุมภาพันธ์ พ.ศ. 2562 มี 28 วัน" \
            "แถวที่ 4: ช่อง day: เดือนกันยายน พ.ศ. 2562 มี 30 วัน วันที่ต้องเป็น 1 ถึง 30"; do
    grep -qF -- "tarvon-batch: contract.csv $want" said.txt || fail "not said: '$want'; said:
$(cat said.txt)"
done
grep -qF "คำนวณได้ 1 แถว ไม่ได้คำนวณ 3 แถว" summary.txt || fail "summary: $(cat summary.txt)"
echo "1 passed, 0 failed"
