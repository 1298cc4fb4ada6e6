#!/usr/bin/env bash
# What a Thai desktop shows of the manual pages and --help: `man` on a
# terminal under th_TH.UTF-8 gives every Thai word whole, with its vowel and
# tone marks; every page, English or Thai, sets no Thai in bold, italics or
# underline (a terminal's overstrike drops the marks) and groff has no
# warning of it; each page in English has its Thai one, and both name every
# option and command that --help names; --help is Thai under a Thai locale
# and English otherwise.
# Usage: thai.sh SOURCE_DIR TARVON TARVON_TABLE TARVON_BATCH
set -euo pipefail
SRC=$(realpath "$1") TARVON=$(realpath "$2") TABLE_TOOL=$(realpath "$3") BATCH=$(realpath "$4")
HERE=$(dirname "$(realpath "$0")")
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
    LANG=th_TH.UTF-8 MANPAGER=cat PAGER=cat MANWIDTH=${MANWIDTH:-100} script -qc "man -l '$1'" /dev/null |
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

# Every page: no warning from groff, no Thai in bold, italics or underline,
# as overstrikes and as SGR sequences alike.
PAGES=("$SRC"/man/*.1 "$SRC"/man/th/*.1)
for page in "$SRC"/man/*.1; do
    [ -f "$SRC/man/th/${page##*/}" ] || fail "no Thai page man/th/${page##*/} beside ${page#"$SRC"/}"
done
for page in "${PAGES[@]}"; do
    name=${page#"$SRC"/}
    warned=$(LANG=th_TH.UTF-8 groff -k -Tutf8 -ww -z -man "$page" 2>&1) || true
    [ -z "$warned" ] || fail "groff warns of $name:
$warned"
    for sgr in "" 1; do
        LANG=th_TH.UTF-8 GROFF_SGR=$sgr MAN_KEEP_FORMATTING=1 MANPAGER=cat MANWIDTH=80 \
            man -l "$page" >"$WORK/kept" 2>"$WORK/err" || fail "man -l $name: $(cat "$WORK/err")"
        [ -s "$WORK/kept" ] || fail "man -l $name gave nothing"
        formatted=$(python3 "$HERE/formatted.py" <"$WORK/kept")
        [ -z "$formatted" ] || fail "$name sets Thai in bold, italics or underline${sgr:+ (SGR)}:
$formatted"
    done
done

# Each page names every option and command its program's --help names, in
# English and in Thai.
for tool in "$TARVON" "$TABLE_TOOL" "$BATCH"; do
    cmd=${tool##*/}
    names=$(LANG=C "$tool" --help | grep -oE -- '--[a-z][a-z-]*|\<(import|merge|list|export|check)\>' | sort -u)
    [ -n "$names" ] || fail "$cmd --help names no option"
    for page in "$SRC/man/$cmd.1" "$SRC/man/th/$cmd.1"; do
        render "$page" >"$WORK/page.txt" 2>/dev/null || true
        for n in $names; do
            grep -qF -- "$n" "$WORK/page.txt" || fail "${page#"$SRC"/} does not name $n, which $cmd --help names"
        done
    done
done
# The Thai pages read whole on a Thai terminal: their headings and the
# window's own texts as the program shows them.
MANWIDTH=1000 render "$SRC/man/th/tarvon.1" >th-tarvon.txt 2>/dev/null || true
for word in "ชื่อ" "วิธีใช้" "สถานะเมื่อจบ" "บันทึกเป็น PDF…" "ช่องที่เว้นว่างคือดัชนีที่ยังไม่ประกาศ"; do
    grep -qF "$word" th-tarvon.txt || fail "the Thai man tarvon lacks '$word' whole"
done

for tool in "$TARVON" "$TABLE_TOOL" "$BATCH"; do
    grep -q '^วิธีใช้: ' <<<"$(LANG=th_TH.UTF-8 "$tool" --help)" || fail "$tool --help is not Thai under th_TH"
    grep -q '^usage: ' <<<"$(LANG=C "$tool" --help)" || fail "$tool --help is not English under C"
    s=0; LANG=th_TH.UTF-8 "$tool" --no-such-option >/dev/null 2>"$WORK/err" || s=$?
    [ "$s" = 2 ] && grep -q '^วิธีใช้: ' "$WORK/err" || fail "$tool: a usage error under th_TH is not Thai"
done
echo "1 passed, 0 failed"
