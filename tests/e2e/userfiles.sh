#!/usr/bin/env bash
# What belongs to the user is never lost or silently garbled by the tools:
# an output that is one of the run's inputs is refused before anything is
# written; a contract with a row in another encoding, or a quote never
# closed, names the rows it cannot read; a table that is a link to a
# missing file is not replaced by a file of its own. A file is read in the
# encoding it is in, said when it is not UTF-8, or refused (UTF-16, a
# column named twice).
# Usage: userfiles.sh TARVON_TABLE TARVON_BATCH SAMPLE_CSV CONTRACT_CSV
set -euo pipefail
TABLE_TOOL=$(realpath "$1") BATCH=$(realpath "$2") SAMPLE_CSV=$(realpath "$3") CONTRACT=$(realpath "$4")
fail() { echo "FAIL: $*" >&2; exit 1; }
WORK=$(mktemp -d); trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
"$TABLE_TOOL" import "$SAMPLE_CSV" KTABLE.DAT >/dev/null
cp "$CONTRACT" c.csv
ln -s c.csv c-link.csv
cp "$SAMPLE_CSV" in.csv
kept=$(md5sum KTABLE.DAT c.csv in.csv)

# refused RUN...: exit 2, a message naming the file, nothing written.
refused() {
    local s=0; "$@" >out.txt 2>err.txt || s=$?
    [ "$s" = 2 ] || fail "'$*' exited $s, not 2: $(cat err.txt)"
    grep -q 'เป็นแฟ้มเดียวกับ' err.txt || fail "'$*' did not say why: $(cat err.txt)"
    [ "$(md5sum KTABLE.DAT c.csv in.csv)" = "$kept" ] || fail "'$*' wrote over an input"
    [ -z "$(ls | grep -E '\.(csv|DAT)\.')" ] || fail "'$*' left a temporary file: $(ls)"
}
refused "$BATCH" c.csv --pdf c.csv
refused "$BATCH" c.csv --pdf ./c.csv
refused "$BATCH" c.csv --pdf c-link.csv
refused "$BATCH" c.csv --pdf KTABLE.DAT
refused "$TABLE_TOOL" import in.csv in.csv
refused "$TABLE_TOOL" export KTABLE.DAT KTABLE.DAT
ln -s KTABLE.DAT table-link
refused "$TABLE_TOOL" export KTABLE.DAT table-link
grep -q 'KTABLE.DAT' err.txt || fail "the refusal does not name the table"

# A UTF-8 contract with one row saved as Windows-874 (with and without a
# byte-order mark): that row is refused and named, the others keep their
# Thai exactly.
{ head -4 c.csv; sed -n 5p c.csv | iconv -f UTF-8 -t CP874; tail -n +6 c.csv; } >mixed.csv
{ printf '\xef\xbb\xbf'; cat mixed.csv; } >mixed-bom.csv
for f in mixed.csv mixed-bom.csv; do
    s=0; "$BATCH" "$f" --csv >mixed.out 2>mixed.err || s=$?
    [ "$s" = 1 ] || fail "$f: a row in another encoding must be refused (exit $s)"
    grep -q "$f แถวที่ 5: .*UTF-8" mixed.err || fail "$f: row 5 not named with its reason: $(cat mixed.err)"
    grep -q '^3,2 งานพื้นทาง,3,' mixed.out || fail "$f: the other rows lost their Thai: $(cat mixed.out)"
    [ "$(grep -c ',above,\|,inside,\|,below,' mixed.out)" = 5 ] || fail "$f: the other rows did not go on"
    ! grep -q 'เธ' mixed.out || fail "$f: a designation was garbled: $(cat mixed.out)"
    # The refused row is shown as what it says, never as bytes undecoded.
    grep -q '^5,4 งานผิวทาง,3,' mixed.out || fail "$f: the refused row's designation: $(cat mixed.out)"
    ! grep -q $'\xef\xbf\xbd' mixed.out mixed.err || fail "$f: a refused row was shown garbled"
done
# The whole file in Windows-874 is still read as the Thai code page.
iconv -f UTF-8 -t CP874 c.csv >thai.csv
"$BATCH" thai.csv --csv >thai.out || fail "a Windows-874 contract did not compute"
grep -q '^2,1 งานเตรียมพื้นทาง,3,' thai.out || fail "Windows-874 Thai: $(cat thai.out)"
# A Windows-874 contract whose only Thai happens to be valid UTF-8 (รถ is
# C3 B6, UTF-8's "ö"): read as the Thai code page, and said so; the sheet
# deducts รถ.
{ head -1 c.csv; echo '3,15,1,2548,20,10,2548,5,"1,000,000",รถ,"2,000",,'; } | iconv -f UTF-8 -t CP874 >disguised.csv
"$BATCH" disguised.csv --pdf disguised.pdf >/dev/null 2>disguised.err || fail "the disguised contract: $(cat disguised.err)"
grep -q 'disguised.csv: .*Windows-874' disguised.err || fail "the encoding assumed is not said: $(cat disguised.err)"
pdftotext -raw disguised.pdf disguised.txt
grep -q 'หัก รถ' disguised.txt && ! grep -q 'ö' disguised.txt || fail "the item was read as UTF-8: $(grep หัก disguised.txt)"
# A contract or an index CSV saved as UTF-16 ("Unicode text"), either byte
# order: refused whole (exit 2), saying how to save it.
iconv -f UTF-8 -t UTF-16LE c.csv | { printf '\xff\xfe'; cat; } >u16le.csv
iconv -f UTF-8 -t UTF-16BE c.csv | { printf '\xfe\xff'; cat; } >u16be.csv
iconv -f UTF-8 -t UTF-16LE "$SAMPLE_CSV" | { printf '\xff\xfe'; cat; } >u16index.csv
for run in "$BATCH u16le.csv" "$BATCH u16be.csv" "$TABLE_TOOL import u16index.csv U16.DAT"; do
    s=0; $run >/dev/null 2>u16.err || s=$?
    [ "$s" = 2 ] || fail "$run: a UTF-16 file must exit 2, not $s"
    grep -q 'UTF-16.*CSV UTF-8 หรือ CSV Windows-874' u16.err || fail "$run: $(cat u16.err)"
done
[ ! -e U16.DAT ] || fail "a UTF-16 index CSV was imported"
# A heading that names a column twice (amount and ค่างวด): refused whole
# (exit 2), naming both.
{ head -1 c.csv | sed 's/,item1,/,ค่างวด,/'; tail -n +2 c.csv; } >twice.csv
s=0; "$BATCH" twice.csv >twice.out 2>twice.err || s=$?
[ "$s" = 2 ] || fail "a column named twice must exit 2, not $s"
grep -q '"amount".*"ค่างวด"' twice.err || fail "both headings are not named: $(cat twice.err)"

# The index CSV is read by the same rule.
{ cat "$SAMPLE_CSV"; printf '2570,1,\xa7\xc7\xb4,1,1,1,1,1,1,1,1,1,1,1,1\n'; } >mixed-index.csv
printf '2571,1,ง,1,1,1,1,1,1,1,1,1,1,1,1\n' >>mixed-index.csv
s=0; "$TABLE_TOOL" import mixed-index.csv NEW.DAT >/dev/null 2>imp.err || s=$?
[ "$s" = 1 ] && [ ! -e NEW.DAT ] || fail "an index CSV with a row in another encoding was imported (exit $s)"
grep -q 'UTF-8' imp.err || fail "import did not name the encoding: $(cat imp.err)"
# An index CSV in the Thai code page (headed in Thai): imported, the
# encoding said.
{ echo 'ปี พ.ศ.,เดือน,M,S,C,G,I,F,A,E,GIP,AC,PVC,W,PE'; tail -n +2 "$SAMPLE_CSV"; } | iconv -f UTF-8 -t CP874 >thai-index.csv
"$TABLE_TOOL" import thai-index.csv THAI.DAT >/dev/null 2>thai-index.err || fail "a Windows-874 index CSV: $(cat thai-index.err)"
grep -q 'thai-index.csv: .*Windows-874' thai-index.err || fail "import did not say the encoding: $(cat thai-index.err)"
cmp -s THAI.DAT KTABLE.DAT || fail "a Windows-874 index CSV gave another table"

# A quote never closed in row 2 of the six rows: the line it began on is
# named, and every row it swallowed is counted as refused.
sed '2s/"500,000"/"500,000/' c.csv >quote.csv
s=0; "$BATCH" quote.csv >quote.out 2>quote.err || s=$?
[ "$s" = 1 ] || fail "an unclosed quote must refuse rows (exit $s)"
grep -q 'quote.csv แถวที่ 2: .*บรรทัดที่ 2' quote.err || fail "the unclosed quote's line is not named: $(cat quote.err)"
[ "$(grep -c 'แถวที่ [3-7]:' quote.err)" = 5 ] || fail "the swallowed rows are not each refused: $(cat quote.err)"
grep -q 'คำนวณได้ 0 แถว ไม่ได้คำนวณ 6 แถว' quote.out || fail "summary count: $(cat quote.out)"

# import onto a link to a missing file: refused, the link stays a link.
ln -s nowhere/KTABLE.DAT dangling.DAT
s=0; "$TABLE_TOOL" import "$SAMPLE_CSV" dangling.DAT >/dev/null 2>dang.err || s=$?
[ "$s" = 1 ] || fail "import onto a dangling link exited $s"
[ -L dangling.DAT ] || fail "import replaced the dangling link"
grep -q 'ลิงก์ไปยังแฟ้มที่ไม่มีอยู่' dang.err || fail "dangling link: $(cat dang.err)"
echo "1 passed, 0 failed"
