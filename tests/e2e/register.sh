#!/usr/bin/env bash
# tarvon-batch on the contract register as an office scripts it, in a home
# of its own: contracts imported (the register made in the data folder on
# first use), each computed exactly as its CSV's run, a month's summary
# whose totals are the plain runs' sums, an export that imports and exports
# again unchanged, refused rows that add nothing, a file that is not a
# register left untouched, a register that cannot be written refusing an
# import, a kill during a large import leaving every row old or new, and
# several writers at once losing nothing.
# Usage: register.sh TARVON_TABLE TARVON_BATCH SAMPLE_CSV CONTRACT_CSV
set -euo pipefail
TABLE_TOOL=$(realpath "$1") BATCH=$(realpath "$2") SAMPLE_CSV=$(realpath "$3") CONTRACT=$(realpath "$4")
fail() { echo "FAIL: $*" >&2; exit 1; }
status() { local s=0; "$@" >/dev/null 2>&1 || s=$?; echo "$s"; }
command -v sqlite3 >/dev/null || fail "the sqlite3 command is needed (Debian's sqlite3: make deps)"
WORK=$(mktemp -d); trap 'chmod -R u+w "$WORK"; rm -rf "$WORK"' EXIT
cd "$WORK"
export HOME="$WORK/home" XDG_DATA_HOME="$WORK/data"
mkdir "$HOME"
REG="$XDG_DATA_HOME/tarvon/register.sqlite"
"$TABLE_TOOL" import "$SAMPLE_CSV" KTABLE.DAT >/dev/null
installments() { sqlite3 "$REG" "SELECT count(*) FROM installments i JOIN contracts c ON c.id = i.contract_id WHERE c.number = '$1'"; }

# --help names the register's commands, in English and in Thai.
# (read whole: grep -q would cut tarvon-batch off under pipefail)
grep -q -- '--summary MONTHS' <<<"$("$BATCH" --help)" || fail "--help does not name --summary"
grep -q -- '--register แฟ้ม' <<<"$(LANG=th_TH.UTF-8 "$BATCH" --help)" || fail "the Thai --help does not name --register"
# Options that do not go together: a usage error (exit 2), nothing made.
for args in "--import x.csv" "--export x.csv" "--register r.sqlite" "--summary 9/2569 --contract 1" \
            "--contract 1 --import x.csv --pdf a.pdf" "--contract 1 --export x.csv --csv" \
            "--contract 1 --import x.csv --export y.csv" "$CONTRACT --contract 1" "--contract 1 --pdf a --print"; do
    [ "$(status "$BATCH" $args)" = 2 ] || fail "not a usage error: $args"
done
# Reading a register that is not there yet: exit 2, nothing made.
[ "$(status "$BATCH" --summary 2/2548 --table KTABLE.DAT)" = 2 ] || fail "a summary of no register must exit 2"
[ ! -e "$XDG_DATA_HOME" ] || fail "reading a missing register made something"

# The sample contract as the contracts it holds, a contract with an
# installment waiting for 9/2569, and one whose sheet cannot be computed
# (formula 10 opened in 9/2548, whose PVC index was not published).
head -1 "$CONTRACT" >heading
{ cat heading; sed -n 2,5p "$CONTRACT"; } >road.csv
{ cat heading; sed -n 6p "$CONTRACT"; } >office.csv
{ cat heading; sed -n 7p "$CONTRACT"; } >drain.csv
{ cat heading; echo '3,15,1,2548,28,2,2548,1 ฐานราก,"300,000",,,,'
  echo '3,15,1,2548,1,9,2569,9 ส่งมอบ,"800,000",,,,'; } >late.csv
{ cat heading; echo '10,1,9,2548,20,12,2548,1 ท่อ PVC,"400,000",,,,'; } >pipe.csv
contracts="road office drain late pipe"

# Imported without --register: the user's register is made on first use.
for c in $contracts; do
    "$BATCH" --import $c.csv --contract "สญ $c/2548" >import.out 2>import.err || fail "import $c: $(cat import.err)"
    grep -qF "เข้าสัญญาเลขที่ สญ $c/2548 (สัญญาใหม่)" import.out || fail "import $c: $(cat import.out)"
done
[ -f "$REG" ] || fail "the register was not made in the data folder"
[ "$(installments 'สญ late/2548')" = 2 ] || fail "the waiting installment was not taken"

# Each contract from the register: the summary, the CSV, the sheets and
# the exit status of its CSV's run.
for c in $contracts; do
    for form in "" --csv; do
        s1=0; "$BATCH" $c.csv --table KTABLE.DAT $form >plain.out 2>/dev/null || s1=$?
        s2=0; "$BATCH" --contract "สญ $c/2548" --table KTABLE.DAT $form >reg.out 2>reg.err || s2=$?
        cmp -s plain.out reg.out || fail "$c $form from the register: $(diff plain.out reg.out)"
        [ "$s1" = "$s2" ] || fail "$c $form: exit $s2 from the register, $s1 from the CSV"
    done
done
"$BATCH" --contract "สญ late/2548" --table KTABLE.DAT >/dev/null 2>late.err || true
grep -qF 'สัญญาเลขที่ สญ late/2548 แถวที่ 3: ไม่พบข้อมูลดัชนีราคา' late.err || fail "the waiting row is not named: $(cat late.err)"
for c in road late; do
    "$BATCH" $c.csv --table KTABLE.DAT --pdf plain.pdf >/dev/null 2>&1 || true
    "$BATCH" --contract "สญ $c/2548" --table KTABLE.DAT --pdf reg.pdf >/dev/null 2>&1 || true
    cmp -s <(pdftotext -layout plain.pdf -) <(pdftotext -layout reg.pdf -) || fail "$c: the sheets differ"
    [ "$(pdfinfo reg.pdf | awk '/^Pages:/ {print $2}')" = "$(pdfinfo plain.pdf | awk '/^Pages:/ {print $2}')" ] \
        || fail "$c: not as many sheets"
    # Each sheet carries what it was computed from, as the CSV's run does.
    cmp -s <(pdfinfo -custom plain.pdf | grep '^TarvonSheet') <(pdfinfo -custom reg.pdf | grep '^TarvonSheet') \
        || fail "$c: the register's sheets do not carry the CSV's run's facts"
    "$BATCH" --verify reg.pdf --table KTABLE.DAT >verify.out || fail "$c: the register's sheets: $(cat verify.out)"
done

# A summary of all their months: its totals are the sums of the plain runs
# (compensation and refund columns of their CSVs), the waiting
# installment apart with its amount, the one that cannot be computed apart
# (exit 1).
for c in $contracts; do "$BATCH" $c.csv --table KTABLE.DAT --csv 2>/dev/null || true; done >plain-all.csv
sum() { awk -F, -v col="$1" 'NR > 0 && $1 ~ /^[0-9]+$/ && $col != "" {s += $col} END {printf "%.2f", s}' "$2"; }
s=0; "$BATCH" --summary 1/2548-9/2569 --table KTABLE.DAT >budget.txt || s=$?
[ "$s" = 1 ] || fail "a summary with an installment that cannot be computed must exit 1, not $s"
for what in "รวมเงินชดเชย:12" "รวมเงินที่ต้องคืนให้ราชการ:13"; do
    got=$(sed -n "s/^${what%%:*} \([0-9.]*\) บาท$/\1/p" budget.txt)
    [ -n "$got" ] && [ "$(printf %.2f "$got")" = "$(sum "${what#*:}" plain-all.csv)" ] \
        || fail "${what%%:*}: $got in the summary, $(sum "${what#*:}" plain-all.csv) in the runs"
done
grep -q 'รอดัชนี 1 งวด ค่างวดรวม 800000 บาท คำนวณไม่ได้ 1 งวด' budget.txt || fail "waiting and refused: $(cat budget.txt)"
grep -q '^  สญ late/2548  9 ส่งมอบ  ค่างวด 800000 บาท  รอดัชนีเดือน 9/2569$' budget.txt || fail "the waiting one: $(cat budget.txt)"
"$BATCH" --summary 1/2548-9/2569 --table KTABLE.DAT --csv >budget.csv 2>/dev/null || true
[ "$(head -c 3 budget.csv | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "no byte-order mark in the summary's CSV"
[ "$(awk -F, 'NR > 1 && $8 != "" {s += $8} END {printf "%.2f", s}' budget.csv)" = "$(sum 12 plain-all.csv)" ] \
    || fail "the summary's CSV does not add up to the runs"
# One month: only what was delivered in it.
"$BATCH" --summary ๑๒/๒๕๖๒ --table KTABLE.DAT --csv >december.csv
[ "$(grep -c '^สญ' december.csv)" = 1 ] && grep -q '^สญ drain/2548,1 ท่อระบายน้ำ,7,2562,12,' december.csv \
    || fail "12/2562: $(cat december.csv)"
# On A4 pages under the office's heading.
sqlite3 "$REG" "UPDATE register_meta SET value = 'แขวงทางหลวงชนบททดสอบ' WHERE key = 'office'"
"$BATCH" --summary 1/2548-9/2569 --table KTABLE.DAT --pdf budget.pdf >/dev/null 2>&1 || true
pdfinfo budget.pdf | grep -q '^Page size:.*(A4)' || fail "the summary is not on A4 pages"
pdftotext -layout budget.pdf budget.pdf.txt
grep -q 'แขวงทางหลวงชนบททดสอบ' budget.pdf.txt && grep -q 'รวมเงินชดเชย 247974.95 บาท' budget.pdf.txt \
    && grep -q 'รอดัชนีเดือน 9/2569' budget.pdf.txt || fail "the summary's PDF: $(cat budget.pdf.txt)"

# Exported with the mark, as the CSV --import reads: its run is the
# contract's, and imported again it exports as the same bytes.
"$BATCH" --contract "สญ road/2548" --export road-out.csv
[ "$(head -c 3 road-out.csv | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "no byte-order mark in the export"
"$BATCH" road.csv --table KTABLE.DAT >plain.out
"$BATCH" road-out.csv --table KTABLE.DAT >out.out
cmp -s plain.out out.out || fail "the exported CSV computes otherwise: $(diff plain.out out.out)"
"$BATCH" --import road-out.csv --contract "สำเนา" >/dev/null
"$BATCH" --contract "สำเนา" --export again.csv
cmp -s road-out.csv again.csv || fail "imported and exported again, the CSV changed: $(diff road-out.csv again.csv)"

# Rows that cannot be read: each named with its reason, nothing added, to
# a new contract as to one that exists (exit 1); the file is not written.
{ cat heading; sed -n 2p "$CONTRACT"
  echo '14,15,1,2548,20,10,2548,x,1000,,,,'
  echo '3,15,1,2548,31,11,2562,y,1000,,,,'
  echo '3,15,1,2548,20,10,2548,z,หนึ่งพัน,,,,'; } >bad.csv
before=$(md5sum "$REG")
for number in "สญ ใหม่" "สญ road/2548"; do
    s=0; "$BATCH" --import bad.csv --contract "$number" >bad.out 2>bad.err || s=$?
    [ "$s" = 1 ] || fail "refused rows must exit 1, not $s"
    grep -qF 'bad.csv แถวที่ 3: ช่อง formula: ไม่มีสูตรหมายเลข 14 (สูตรมีหมายเลข 1 ถึง 13)' bad.err &&
        grep -qF 'bad.csv แถวที่ 4: ช่อง day: เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน' bad.err &&
        grep -qF 'bad.csv แถวที่ 5: ช่อง amount' bad.err &&
        grep -qF 'bad.csv: มี 3 แถวที่อ่านไม่ได้ จึงไม่ได้นำเข้างวดใดเลย' bad.err || fail "refused rows: $(cat bad.err)"
    [ ! -s bad.out ] || fail "a refused import said it imported: $(cat bad.out)"
done
[ "$(md5sum "$REG")" = "$before" ] || fail "a refused import wrote the register"

# A file that is not a register (the table, a CSV, another program's
# SQLite database) is refused by name and left as it was.
sqlite3 other.sqlite "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('x')"
for f in KTABLE.DAT road.csv other.sqlite; do
    sum=$(md5sum $f)
    for args in "--import road.csv --contract ก" "--summary 2/2548 --table KTABLE.DAT" "--contract ก --export x.csv"; do
        s=0; "$BATCH" --register $f $args >foreign.out 2>foreign.err || s=$?
        [ "$s" = 2 ] || fail "--register $f $args must exit 2, not $s"
        grep -qF "ทะเบียนสัญญา $f: แฟ้มนี้ไม่ใช่ทะเบียนสัญญาของโปรแกรมนี้" foreign.err || fail "$f: $(cat foreign.err)"
    done
    [ "$(md5sum $f)" = "$sum" ] || fail "$f was written"
done
[ ! -e x.csv ] || fail "an export from what is no register wrote a file"
# An output that is the register or the table is refused before anything is written.
for args in "--contract สำเนา --pdf $REG" "--contract สำเนา --export $REG" "--summary 2/2548 --pdf $REG" \
            "--summary 2/2548 --pdf KTABLE.DAT"; do
    [ "$(status "$BATCH" $args --table KTABLE.DAT)" = 2 ] || fail "an output onto an input: $args"
done
[ "$(md5sum "$REG")" = "$before" ] && sqlite3 "$REG" 'PRAGMA integrity_check' | grep -qx ok || fail "the register was written"

# A register the user cannot write (a copy on a read-only medium) opens to
# be read, saying so; an import is refused in Thai and writes nothing.
mkdir readonly && cp "$REG" readonly/register.sqlite
chmod 444 readonly/register.sqlite && chmod 555 readonly && chmod 755 "$WORK"
as_user() { if [ "$(id -u)" = 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"; else "$@"; fi; }
ro_sum=$(md5sum readonly/register.sqlite)
s=0; as_user "$BATCH" --register readonly/register.sqlite --import road.csv --contract "ใหม่" >ro.out 2>ro.err || s=$?
[ "$s" = 3 ] || fail "an import into a read-only register must exit 3, not $s: $(cat ro.err)"
grep -q 'ไม่ได้นำเข้างวดใดเลย: .*เปิดให้ดูได้อย่างเดียว' ro.err || fail "read-only import: $(cat ro.err)"
s=0; as_user "$BATCH" --register readonly/register.sqlite --summary 2/2548 --table KTABLE.DAT >ro.out 2>ro.err || s=$?
[ "$s" = 0 ] && grep -q 'รวมเงินชดเชย 0 บาท' ro.out && grep -q 'ดูได้อย่างเดียว' ro.err \
    || fail "a read-only register's summary (exit $s): $(cat ro.out ro.err)"
[ "$(md5sum readonly/register.sqlite)" = "$ro_sum" ] || fail "the read-only register was written"

# A kill -9 during a large import: SQLite's own check passes, the contract
# is there whole or not at all, the others are as they were.
{ cat heading; awk 'BEGIN { for (n = 1; n <= 20000; n++)
    printf "3,15,1,2548,%d,%d,2548,%d งาน,%d,,,,\n", 1 + n % 28, 1 + n % 12, n, 1000 * n }'; } >big.csv
killed=0
for round in 1 2 3; do
    "$BATCH" --import big.csv --contract "ใหญ่ $round" >/dev/null 2>&1 &
    pid=$!
    # Killed once its transaction has written (SQLite's journal is there).
    until [ -e "$REG-journal" ] || ! kill -0 $pid 2>/dev/null; do :; done
    kill -9 $pid 2>/dev/null || true
    s=0; wait $pid || s=$?
    [ "$s" = 137 ] && killed=$((killed + 1))
    [ "$(sqlite3 "$REG" 'PRAGMA integrity_check')" = ok ] || fail "round $round: the register is damaged"
    n=$(installments "ใหญ่ $round")
    [ "$n" = 0 ] || [ "$n" = 20000 ] || fail "round $round: $n of 20000 installments"
    [ "$(sqlite3 "$REG" "SELECT count(*) FROM contracts WHERE number = 'ใหญ่ $round'")" = "$([ "$n" = 0 ] && echo 0 || echo 1)" ] \
        || fail "round $round: the contract without its installments"
    "$BATCH" --contract "สญ road/2548" --export after.csv
    cmp -s road-out.csv after.csv || fail "round $round: another contract changed"
done
[ "$killed" -gt 0 ] || fail "no import was killed while it wrote"

# Writers at once: a large import, and while it holds the register, small
# ones into other contracts and two into one new contract. All of them
# are kept, each installment in a place of its own.
{ cat heading; sed -n 2,5p "$CONTRACT"; sed -n 2,5p "$CONTRACT"; } >eight.csv
"$BATCH" --import big.csv --contract "ใหญ่" >big.out 2>big.err &
big=$!
until [ -e "$REG-journal" ] || ! kill -0 $big 2>/dev/null; do :; done
pids=()
for w in 1 2 3 4; do "$BATCH" --import eight.csv --contract "พร้อมกัน $w" >/dev/null 2>w$w.err & pids+=($!); done
for w in 5 6; do "$BATCH" --import eight.csv --contract "ร่วม" >/dev/null 2>w$w.err & pids+=($!); done
wait $big || fail "the large import: $(cat big.err)"
w=0; for pid in "${pids[@]}"; do w=$((w + 1)); wait $pid || fail "writer $w: $(cat w$w.err)"; done
[ "$(installments ใหญ่)" = 20000 ] || fail "the large import lost rows"
for w in 1 2 3 4; do [ "$(installments "พร้อมกัน $w")" = 8 ] || fail "writer $w lost rows"; done
[ "$(installments ร่วม)" = 16 ] || fail "two imports into one new contract: $(installments ร่วม) of 16"
[ "$(sqlite3 "$REG" "SELECT count(DISTINCT position) || ',' || min(position) || ',' || max(position) FROM installments i
                     JOIN contracts c ON c.id = i.contract_id WHERE c.number = 'ร่วม'")" = 16,1,16 ] \
    || fail "two imports into one contract took the same places"
echo "1 passed, 0 failed"
