#!/usr/bin/env bash
# What a Thai desktop shows of the manual pages and --help: `man` on a
# terminal under th_TH.UTF-8 gives every Thai word whole, with its vowel and
# tone marks; --help is Thai under a Thai locale and English otherwise.
# Usage: thai.sh SOURCE_DIR TARVON TARVON_TABLE TARVON_BATCH
set -euo pipefail
SRC=$(realpath "$1") TARVON=$(realpath "$2") TABLE_TOOL=$(realpath "$3") BATCH=$(realpath "$4")
fail() { echo "FAIL: $*" >&2; exit 1; }
WORK=$(mktemp -d); trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

# A Thai locale of the test's own (no system setting is changed).
localedef -i th_TH -f UTF-8 "$WORK/th_TH.UTF-8" 2>/dev/null ||
    [ -e "$WORK/th_TH.UTF-8/LC_CTYPE" ] || fail "cannot make the th_TH.UTF-8 locale"
export LOCPATH=$WORK

# man on a terminal (script gives it one; the pager is cat), the bold and
# underline overstrikes taken off as the terminal would show them.
render() {
    LANG=th_TH.UTF-8 MANPAGER=cat PAGER=cat MANWIDTH=100 script -qc "man -l '$1'" /dev/null |
        sed -e 's/\x1b\[[0-9;]*m//g' -e 's/.\x08//g' -e 's/\r//g'
}
render "$SRC/man/tarvon.1" >tarvon.txt 2>/dev/null || true
for word in "คำนวณค่า K" "เลิกงาน" "บันทึกเป็น PDF…" "ตารางดัชนี"; do
    grep -qF "$word" tarvon.txt || fail "man tarvon lacks '$word' whole: $(grep -m1 -o 'Thai: .*' tarvon.txt)"
done
render "$SRC/man/tarvon-table.1" >table.txt 2>/dev/null || true
grep -qF "รวมเดือนใหม่เข้าแฟ้ม" table.txt || fail "man tarvon-table lacks its Thai steps"
render "$SRC/man/tarvon-batch.1" >batch.txt 2>/dev/null || true
grep -qF "ราคาครุภัณฑ์1" batch.txt || fail "man tarvon-batch lacks the Thai column names"

for tool in "$TARVON" "$TABLE_TOOL" "$BATCH"; do
    grep -q '^วิธีใช้: ' <<<"$(LANG=th_TH.UTF-8 "$tool" --help)" || fail "$tool --help is not Thai under th_TH"
    grep -q '^usage: ' <<<"$(LANG=C "$tool" --help)" || fail "$tool --help is not English under C"
    s=0; LANG=th_TH.UTF-8 "$tool" --no-such-option >/dev/null 2>"$WORK/err" || s=$?
    [ "$s" = 2 ] && grep -q '^วิธีใช้: ' "$WORK/err" || fail "$tool: a usage error under th_TH is not Thai"
done
echo "1 passed, 0 failed"
