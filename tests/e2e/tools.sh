#!/usr/bin/env bash
# The command-line tools as a user runs them: tarvon-table (import, list,
# export, check) and tarvon-batch (summary, CSV, PDF), their exit statuses,
# and that neither ever writes to the table or the contract it reads.
# Usage: tools.sh TARVON_TABLE TARVON_BATCH SAMPLE_CSV CONTRACT_CSV VERSION
set -euo pipefail
TABLE_TOOL=$(realpath "$1") BATCH=$(realpath "$2") SAMPLE_CSV=$(realpath "$3") CONTRACT=$(realpath "$4")
VERSION=$5
fail() { echo "FAIL: $*" >&2; exit 1; }
status() { local s=0; "$@" >/dev/null 2>&1 || s=$?; echo "$s"; }
WORK=$(mktemp -d); trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

for tool in "$TABLE_TOOL" "$BATCH"; do
    "$tool" --help >help.txt && grep -q '^usage:' help.txt || fail "$tool --help"
    [ "$("$tool" --version)" = "$(basename "$tool") $VERSION" ] || fail "$tool --version: $("$tool" --version)"
    [ "$(status "$tool" --no-such-option)" = 2 ] || fail "$tool: a usage error must exit 2"
done

# import, list, export, and import of the export gives the same bytes.
"$TABLE_TOOL" import "$SAMPLE_CSV" KTABLE.DAT >/dev/null
"$TABLE_TOOL" list KTABLE.DAT >list.txt
[ "$(wc -l <list.txt)" = 29 ] || fail "list: not one line a record under a heading"
grep -q '^ *10 2548 *10 *233 ' list.txt || fail "list: record 10 is not 10/2548"
"$TABLE_TOOL" export KTABLE.DAT again.csv
[ "$(head -c 3 again.csv | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "no byte-order mark in an exported CSV"
"$TABLE_TOOL" import again.csv AGAIN.DAT >/dev/null
cmp -s KTABLE.DAT AGAIN.DAT || fail "import of an export is not the same table"
[ "$(status "$TABLE_TOOL" list missing.dat)" = 2 ] || fail "list of a missing table must exit 2"

# The monthly update. A CSV of one month imported over the table is
# refused (exit 1), naming what would be lost; the table keeps every byte.
# --replace replaces.
head -1 "$SAMPLE_CSV" >new.csv
echo '2564,8,300,301,302,303,304,305,306,307,308,309,310,311,312' >>new.csv
cp KTABLE.DAT before.dat
s=0; "$TABLE_TOOL" import new.csv KTABLE.DAT >import.out 2>import.err || s=$?
[ "$s" = 1 ] || fail "a one-month import over a table must exit 1, not $s"
grep -q 'มีข้อมูลดัชนีราคา 28 เดือนที่ไม่มีใน new.csv' import.err || fail "import refusal: $(cat import.err)"
cmp -s KTABLE.DAT before.dat || fail "the refused import changed the table"
cp KTABLE.DAT scratch.dat
"$TABLE_TOOL" import new.csv scratch.dat --replace >/dev/null || fail "import --replace"
[ "$(stat -c %s scratch.dat)" = 90 ] || fail "--replace did not replace"
# merge: 1/2548 corrected in place, 8/2564 appended, the old table kept
# byte for byte as KTABLE.DAT.bak, both months named.
echo '2548,1,229.0,226.3,173.7,335.5,194.2,239.5,171.1,190.2,332.4,121.3,153.6,,' >>new.csv
"$TABLE_TOOL" merge new.csv KTABLE.DAT >merge.out || fail "merge: $(cat merge.out)"
cmp -s KTABLE.DAT.bak before.dat || fail "the backup is not the old table"
grep -qF 'เพิ่มเดือน 8/2564 เป็นระเบียนที่ 29' merge.out || fail "merge output: $(cat merge.out)"
grep -qF 'แก้เดือน 1/2548 (ระเบียนที่ 1): M 228.4 → 229.0' merge.out || fail "merge output: $(cat merge.out)"
[ "$(stat -c %s KTABLE.DAT)" = 2610 ] || fail "the merged table is not 29 records"
cmp -s <(tail -c +91 KTABLE.DAT | head -c 2430) <(tail -c +91 before.dat) || fail "merge touched other months"
grep -q '^ *1 2548 *1 *229 ' <<<"$("$TABLE_TOOL" list KTABLE.DAT)" || fail "1/2548 was not corrected in place"
cp before.dat KTABLE.DAT

# check: the sample's unpublished PVC months are reported (exit 1); a
# table of full months is clean (exit 0).
[ "$(status "$TABLE_TOOL" check KTABLE.DAT)" = 1 ] || fail "check of the sample must report its blank PVC months"
"$TABLE_TOOL" check KTABLE.DAT >check.txt || true
grep -q 'ระเบียนที่ 9 (เดือน 9/2548): ค่า PVC เป็น 0 (ช่องว่าง)' check.txt || fail "check does not name record 9 and its month"
! grep '^ระเบียนที่' check.txt | grep -qv '(เดือน [0-9]*/[0-9]*)' || fail "a finding of check does not name its month"
head -9 "$SAMPLE_CSV" >full.csv
"$TABLE_TOOL" import full.csv FULL.DAT >/dev/null
[ "$(status "$TABLE_TOOL" check FULL.DAT)" = 0 ] || fail "check of full months must be clean: $("$TABLE_TOOL" check FULL.DAT)"
tr -d '\n' <FULL.DAT | fold -w 90 >LINES.DAT
"$TABLE_TOOL" check LINES.DAT >lines.txt || true
grep -q "tr -d" lines.txt || fail "check does not say how to repair a table with line breaks"

# import never replaces what is not a regular file.
mkfifo fifo.dat
[ "$(status "$TABLE_TOOL" import "$SAMPLE_CSV" fifo.dat)" = 1 ] || fail "import into a FIFO must be refused"
[ -p fifo.dat ] || fail "import replaced the FIFO"
[ -z "$(ls | grep 'fifo.dat.')" ] || fail "import left a temporary file"

# tarvon-batch on the sample contract: all rows computed.
sum_before=$(md5sum KTABLE.DAT "$CONTRACT")
# Nothing but the summary: no warning of Qt's on standard error, even in a
# session without XDG_RUNTIME_DIR.
env -u XDG_RUNTIME_DIR "$BATCH" "$CONTRACT" >summary.txt 2>summary.err || fail "the sample contract did not compute: $(cat summary.txt)"
[ ! -s summary.err ] || fail "a summary run said on standard error: $(cat summary.err)"
env -u XDG_RUNTIME_DIR "$BATCH" "$CONTRACT" --pdf quiet.pdf >/dev/null 2>quiet.err
[ ! -s quiet.err ] || fail "a PDF run said on standard error: $(cat quiet.err)"
grep -q 'รวมเงินชดเชย 247974.95 บาท' summary.txt || fail "summary totals: $(cat summary.txt)"
"$BATCH" "$CONTRACT" --csv >summary.csv
# Into a file, the CSV begins with UTF-8's byte-order mark, for spreadsheets;
# into a pipe it does not.
[ "$(head -c 3 summary.csv | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "no byte-order mark in a CSV file"
[ "$("$BATCH" "$CONTRACT" --csv | head -c 3)" = "row" ] || fail "a byte-order mark into a pipe"
[ "$(head -1 summary.csv | tail -c +4)" = "row,installment,formula,bid_year,bid_month,year,month,k,band,excess,net_amount,compensation,refund,error" ] \
    || fail "CSV heading: $(head -1 summary.csv)"
grep -qx '5,4 งานผิวทาง,3,2548,1,2548,10,1.159,above,0.119,950000,113050,,' summary.csv || fail "CSV row 5: $(cat summary.csv)"
"$BATCH" "$CONTRACT" --pdf sheets.pdf >/dev/null
[ "$(pdfinfo sheets.pdf | awk '/^Pages:/ {print $2}')" = 6 ] || fail "not one page a computed row"
pdftotext -raw sheets.pdf sheets.txt
grep -qx 'คงเหลือเงินในงวดนี้ =  950000   บาท' sheets.txt || fail "the PDF lacks row 5's net amount"
# The sheets verify against the table they were printed on (the table in
# the current folder when none is given), and verifying writes nothing.
"$BATCH" --verify sheets.pdf >verify.out || fail "the sample's sheets do not verify: $(cat verify.out)"
grep -q '^ตรวจ 6 หน้า: ถูกต้อง 6 หน้า ไม่ถูกต้อง 0 หน้า$' verify.out || fail "verify: $(tail -1 verify.out)"
pdfinfo -custom sheets.pdf | grep -q '^TarvonSheet6: *{"form":"tarvon-sheet 1"' || fail "pdfinfo does not show page 6's facts"
[ "$(status "$BATCH" --verify sheets.pdf "$CONTRACT")" = 2 ] || fail "--verify with a contract must exit 2"
[ "$(status "$BATCH" --verify sheets.pdf --pdf x.pdf)" = 2 ] || fail "--verify with --pdf must exit 2"
[ "$(md5sum KTABLE.DAT "$CONTRACT")" = "$sum_before" ] || fail "the table or the contract was written"

# A refused row: named on standard error, the others go on, exit 1.
cp "$CONTRACT" bad.csv
echo '3,15,1,2548,20,3,2549,9,1000,,,,' >>bad.csv
s=0; "$BATCH" bad.csv --csv >bad.out 2>bad.err || s=$?
[ "$s" = 1 ] || fail "a refused row must exit 1, not $s"
grep -q 'bad.csv แถวที่ 8: ไม่พบข้อมูลดัชนีราคาของวันส่งงวดงาน' bad.err || fail "stderr: $(cat bad.err)"
[ "$(grep -c ',above,\|,inside,\|,below,' bad.out)" = 6 ] || fail "the other rows did not go on"

# Records that read as months no table holds, before the months a contract
# needs (13/2547 and 100001/2547, which a month index keyed by year ×
# 100000 + month took for 1/2548): every month is found as the window finds
# it, the summary is that of the table without them. Written record by
# record: import refuses such months.
"$BATCH" "$CONTRACT" --table KTABLE.DAT >clean.txt
{ for month in 13 100001; do
      printf '%6s' 2547 "$month" 999 999 999 999 999 999 999 999 999 999 999 '' ''
  done
  cat KTABLE.DAT; } >TYPO.DAT
"$BATCH" "$CONTRACT" --table TYPO.DAT >typo.txt || fail "a table with typo months: $(cat typo.txt)"
cmp -s clean.txt typo.txt || fail "typo months changed the summary: $(diff clean.txt typo.txt)"

# The installed template is headed in Thai (with UTF-8's mark, for
# spreadsheets) and reads as the English heading does.
TEMPLATE=$(dirname "$CONTRACT")/contract-template.csv
[ "$(head -c 3 "$TEMPLATE" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the template has no byte-order mark"
! head -1 "$TEMPLATE" | grep -q '[a-z]' || fail "the template is not headed in Thai: $(head -1 "$TEMPLATE")"
{ cat "$TEMPLATE"; echo '3,15,1,2548,20,10,2548,4 งานผิวทาง,"1,000,000",ปั๊มน้ำ,"50,000",,'; } >filled.csv
"$BATCH" filled.csv --csv >filled.out || fail "the filled template: $(cat filled.out)"
grep -qx '2,4 งานผิวทาง,3,2548,1,2548,10,1.159,above,0.119,950000,113050,,' filled.out || fail "the filled template: $(cat filled.out)"
# An index CSV headed in Thai gives the very same table.
{ echo 'ปี พ.ศ.,เดือน,M,S,C,G,I,F,A,E,GIP,AC,PVC,W,PE'; tail -n +2 "$SAMPLE_CSV"; } >thai-heading.csv
"$TABLE_TOOL" import thai-heading.csv THAI.DAT >/dev/null || fail "an index CSV headed in Thai was refused"
cmp -s THAI.DAT KTABLE.DAT || fail "an index CSV headed in Thai gave another table"

# Files the tools make get the mode the umask gives, as any new file of the
# user's: import, merge (the table and its backup), export, the PDF.
for mask in 022 077; do
    want=$([ $mask = 022 ] && echo 644 || echo 600)
    rm -rf made && mkdir made
    ( umask $mask
      "$TABLE_TOOL" import "$SAMPLE_CSV" made/imported.dat
      "$TABLE_TOOL" merge new.csv made/imported.dat
      "$TABLE_TOOL" merge new.csv made/merged.dat
      "$TABLE_TOOL" export KTABLE.DAT made/exported.csv
      "$BATCH" "$CONTRACT" --table KTABLE.DAT --pdf made/sheets.pdf ) >/dev/null
    [ "$(ls made | wc -l)" = 5 ] || fail "under umask $mask the tools made: $(ls made)"
    for f in made/*; do
        [ "$(stat -c %a "$f")" = "$want" ] || fail "under umask $mask $f has mode $(stat -c %a "$f"), not $want"
    done
done

# A command a refusal suggests works as it stands, with names that hold
# blanks: pasted into a shell, it does what it says.
mkdir "my tables"; cp KTABLE.DAT "my tables/KTABLE ของฉัน.DAT"; cp new.csv "new month.csv"
s=0; "$TABLE_TOOL" import "new month.csv" "my tables/KTABLE ของฉัน.DAT" 2>suggest.err || s=$?
[ "$s" = 1 ] || fail "a one-month import over a table must exit 1, not $s"
cmd=$(sed -n 's/.*ด้วย \(tarvon-table merge .*\) หรือถ้า.*/\1/p' suggest.err)
[ -n "$cmd" ] || fail "no merge command suggested: $(cat suggest.err)"
eval "\"\$TABLE_TOOL\" ${cmd#tarvon-table }" >/dev/null || fail "the suggested command failed: $cmd"
grep -q '^ *29 2564 *8 ' <<<"$("$TABLE_TOOL" list "my tables/KTABLE ของฉัน.DAT")" || fail "the suggested merge did not add 8/2564: $cmd"
cp LINES.DAT "my tables/LINES.DAT"
"$TABLE_TOOL" check "my tables/LINES.DAT" >suggest.out || true
cmd=$(sed -n 's/.*เช่น \(tr -d .*\) แล้วตรวจ .*/\1/p' suggest.out)
[ -n "$cmd" ] || fail "no repair suggested: $(cat suggest.out)"
eval "$cmd" || fail "the suggested repair failed: $cmd"
cmp -s "my tables/LINES.DAT.new" FULL.DAT || fail "the suggested repair did not give the table: $cmd"

# Without --table: KTABLE.DAT here, else the user's own table in the data
# folder, said on standard error; else exit 2 saying where the user's
# table is expected. An empty table is named and said empty, once, and
# nothing is computed.
mkdir -p data/tarvon elsewhere home/.local/share/tarvon
cp KTABLE.DAT data/tarvon/KTABLE.DAT
cp KTABLE.DAT home/.local/share/tarvon/KTABLE.DAT
cd elsewhere
XDG_DATA_HOME="$WORK/data" "$BATCH" "$CONTRACT" >user.out 2>user.err || fail "with the user's table: $(cat user.err)"
grep -q 'รวมเงินชดเชย 247974.95 บาท' user.out || fail "with the user's table: $(cat user.out)"
[ "$(wc -l <user.err)" = 1 ] && grep -qF "ใช้ตารางดัชนีราคาของผู้ใช้ $WORK/data/tarvon/KTABLE.DAT" user.err \
    || fail "the table used is not said: $(cat user.err)"
env -u XDG_DATA_HOME HOME="$WORK/home" "$BATCH" "$CONTRACT" >/dev/null 2>user.err || fail "with ~/.local/share: $(cat user.err)"
grep -qF "$WORK/home/.local/share/tarvon/KTABLE.DAT" user.err || fail "the table used is not said: $(cat user.err)"
s=0; XDG_DATA_HOME="$WORK/none" "$BATCH" "$CONTRACT" >none.out 2>none.err || s=$?
[ "$s" = 2 ] || fail "no table anywhere must exit 2, not $s"
grep -qF "$WORK/none/tarvon/KTABLE.DAT" none.err || fail "where the user's table belongs is not said: $(cat none.err)"
[ ! -e "$WORK/none" ] && [ ! -e KTABLE.DAT ] || fail "a table or a folder was created"
: >KTABLE.DAT
s=0; XDG_DATA_HOME="$WORK/data" "$BATCH" "$CONTRACT" >empty.out 2>empty.err || s=$?
[ "$s" = 2 ] || fail "an empty table must exit 2, not $s"
[ "$(wc -l <empty.err)" = 1 ] && grep -qF "$WORK/elsewhere/KTABLE.DAT ว่างเปล่า" empty.err \
    || fail "the empty table is not named once: $(cat empty.err)"
[ ! -s empty.out ] || fail "rows were computed on an empty table: $(cat empty.out)"
cd "$WORK"

# No table, an unreadable contract, both --pdf and --print: exit 2, and
# the missing table is not created.
mkdir empty && cd empty
[ "$(status env XDG_DATA_HOME="$WORK/none" "$BATCH" "$CONTRACT")" = 2 ] || fail "a missing table must exit 2"
[ ! -e KTABLE.DAT ] || fail "tarvon-batch created KTABLE.DAT"
[ "$(status "$BATCH" nowhere.csv --table ../KTABLE.DAT)" = 2 ] || fail "a missing contract must exit 2"
[ "$(status "$BATCH" "$CONTRACT" --table ../KTABLE.DAT --pdf x.pdf --print)" = 2 ] || fail "--pdf with --print must exit 2"
echo "1 passed, 0 failed"
