#!/usr/bin/env bash
# Several hands on one index table, through the real commands: two merges
# held apart by a forced pause on rename (strace) both keep their months or
# the second is refused naming the first and writes nothing; ten merges
# started together keep every month they say they added; a merge that
# changes nothing writes nothing; each row the search could not find as
# itself is refused with its row; the backup never lands on an input or
# beside what is not a file; a kill -9 during a save leaves no temporary
# file once the next save is done, for the table and for a PDF.
# Usage: writers.sh TARVON_TABLE TARVON_BATCH SAMPLE_CSV CONTRACT_CSV
set -euo pipefail
TABLE_TOOL=$(realpath "$1") BATCH=$(realpath "$2") SAMPLE_CSV=$(realpath "$3") CONTRACT=$(realpath "$4")
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v strace >/dev/null || fail "strace is needed (Debian package strace)"
WORK=$(mktemp -d)
PIDS=()
cleanup() {
    local p; for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
cd "$WORK"

# wait_for SECONDS COMMAND...: retries COMMAND until it succeeds.
wait_for() {
    local limit=$(( $1 * 10 )) i=0; shift
    until "$@" >/dev/null 2>&1; do
        i=$((i + 1)); [ "$i" -ge "$limit" ] && return 1; sleep 0.1
    done
}
HEADING=$(head -1 "$SAMPLE_CSV")
# month_csv FILE YEAR MONTH: a CSV of that one month.
month_csv() { printf '%s\n%s,%s,300,301,302,303,304,305,306,307,308,309,310,311,312\n' "$HEADING" "$2" "$3" >"$1"; }
# has MONTH/YEAR: the table holds the month (as list shows it).
has() { "$TABLE_TOOL" list KTABLE.DAT | awk -v y="${1#*/}" -v m="${1%/*}" '$2 == y && $3 == m {f = 1} END {exit !f}'; }
# holder: the process that holds the table's lock, as the lock file says.
holder() { cut -d' ' -f1 KTABLE.DAT.lock 2>/dev/null; }
# paused MS WHEN CMD...: runs CMD with its WHEN-th rename held MS ms, in
# the background; sets PAUSED to strace's process.
paused() {
    local ms=$1 when=$2; shift 2
    strace -f -o /dev/null -e trace=rename -e inject=rename:delay_enter=$((ms * 1000)):when="$when" "$@" &
    PAUSED=$!; PIDS+=("$PAUSED")
}

"$TABLE_TOOL" import "$SAMPLE_CSV" KTABLE.DAT >/dev/null

# Two merges, the first held at its renames: the second waits for it and
# then keeps both months, or is refused naming the first and writes nothing.
month_csv a.csv 2565 1; month_csv b.csv 2565 2
for hold in 1000 4000; do
    cp KTABLE.DAT before.dat
    paused "$hold" 1+ "$TABLE_TOOL" merge a.csv KTABLE.DAT >a.out 2>a.err
    wait_for 20 test -s KTABLE.DAT.lock || fail "the first merge never took the lock"
    first=$(holder)
    s=0; "$TABLE_TOOL" merge b.csv KTABLE.DAT >b.out 2>b.err || s=$?
    wait "$PAUSED" || fail "the held merge failed: $(cat a.err)"
    has 1/2565 || fail "the first merge's month is lost (hold $hold)"
    if [ "$s" = 0 ]; then
        has 2/2565 || fail "the second merge said it added 2/2565, the table lacks it (hold $hold)"
    else
        [ "$s" = 1 ] || fail "the second merge exited $s"
        grep -qF "คำสั่ง tarvon-table merge (กระบวนการหมายเลข $first) กำลังแก้ตาราง KTABLE.DAT อยู่" b.err ||
            fail "the refusal does not name the first merge: $(cat b.err)"
        grep -qF 'จึงไม่ได้เขียนอะไรเลย' b.err || fail "the refusal does not say nothing was written"
        ! has 2/2565 || fail "the refused merge wrote its month"
        cmp -s KTABLE.DAT.bak before.dat || fail "the refused merge wrote the backup"
    fi
    # Held longer than the second waits (both renames), it is refused.
    [ "$hold" != 4000 ] || [ "$s" = 1 ] || fail "a merge held 8 s was waited out by the second"
    cp before.dat KTABLE.DAT
done

# Ten merges started together, each adding its own month: every one that
# says it added its month has it in the table; the others were refused.
pids=()
for m in 1 2 3 4 5 6 7 8 9 10; do
    month_csv "m$m.csv" 2566 "$m"
    "$TABLE_TOOL" merge "m$m.csv" KTABLE.DAT >"m$m.out" 2>"m$m.err" &
    pids+=($!)
done
for m in 1 2 3 4 5 6 7 8 9 10; do
    s=0; wait "${pids[$((m - 1))]}" || s=$?
    if [ "$s" = 0 ]; then
        has "$m/2566" || fail "merge $m said it added $m/2566; the table lacks it"
    else
        [ "$s" = 1 ] && grep -qF 'กำลังแก้ตาราง' "m$m.err" || fail "merge $m exited $s: $(cat "m$m.err")"
        ! has "$m/2566" || fail "refused merge $m wrote its month"
    fi
done
cp before.dat KTABLE.DAT

# The same merge twice: the second writes nothing, so the backup is still
# the table before the first.
"$TABLE_TOOL" merge a.csv KTABLE.DAT >/dev/null
cp KTABLE.DAT once.dat; cp KTABLE.DAT.bak once.bak
"$TABLE_TOOL" merge a.csv KTABLE.DAT >again.out || fail "the second merge failed"
grep -qF 'จึงไม่ได้เขียนอะไร' again.out || fail "the second merge does not say it wrote nothing: $(cat again.out)"
cmp -s KTABLE.DAT once.dat && cmp -s KTABLE.DAT.bak once.bak || fail "the second identical merge wrote"
cmp -s KTABLE.DAT.bak before.dat || fail "the backup is not the table before the first merge"

# Each row the search could not find as itself: refused with its row by
# merge and import, the table as it was.
while IFS='|' read -r row says; do
    printf '%s\n%b\n' "$HEADING" "$row" >bad.csv
    for cmd in merge import; do
        s=0; "$TABLE_TOOL" "$cmd" bad.csv KTABLE.DAT >bad.out 2>bad.err || s=$?
        [ "$s" = 1 ] || fail "$cmd of '$row' exited $s"
        grep -qF "bad.csv: แถวที่ $says" bad.err || fail "$cmd of '$row': $(cat bad.err)"
        cmp -s KTABLE.DAT once.dat || fail "$cmd of '$row' wrote the table"
    done
done <<'ROWS'
2565,13,1,1,1,1,1,1,1,1,1,1,1,1,1|2: เดือน "13" ไม่ใช่จำนวนเต็ม 1 ถึง 12
2565,0,1,1,1,1,1,1,1,1,1,1,1,1,1|2: เดือน "0" ไม่ใช่จำนวนเต็ม 1 ถึง 12
2565,2.5,1,1,1,1,1,1,1,1,1,1,1,1,1|2: เดือน "2.5" ไม่ใช่จำนวนเต็ม 1 ถึง 12
0,1,1,1,1,1,1,1,1,1,1,1,1,1,1|2: ปี "0" ไม่ใช่จำนวนเต็มที่มากกว่า 0
-2565,1,1,1,1,1,1,1,1,1,1,1,1,1,1|2: ปี "-2565" ไม่ใช่จำนวนเต็มที่มากกว่า 0
2022,1,1,1,1,1,1,1,1,1,1,1,1,1,1|2: ปี 2022 ต่ำกว่า 2400: ปีต้องเป็นปีพุทธศักราช (พ.ศ. = ค.ศ. + 543) เช่น ค.ศ. 2022 คือ พ.ศ. 2565
2565,4,1,1,1,1,1,1,1,1,1,1,1,1,1\n2565,4,2,1,1,1,1,1,1,1,1,1,1,1,1|3: เดือน 4/2565 ซ้ำกับแถวที่ 2
ROWS
# ... and an index at 0 or below is taken, with a warning naming its row.
printf '%s\n2565,5,0,-3,1,1,1,1,1,1,1,1,1,1,1\n' "$HEADING" >zero.csv
"$TABLE_TOOL" merge zero.csv KTABLE.DAT >/dev/null 2>zero.err || fail "an index at 0 was refused"
grep -qF 'tarvon-table: คำเตือน: zero.csv แถวที่ 2: ค่า M เป็น 0' zero.err || fail "no warning of M at 0: $(cat zero.err)"
grep -qF 'ค่า S ติดลบ (-3)' zero.err || fail "no warning of S below 0: $(cat zero.err)"
cp once.dat KTABLE.DAT

# A CSV named like the backup is an input; a folder or a FIFO where the
# table should be is refused with nothing made beside it.
month_csv KTABLE.DAT.bak 2565 3; cp KTABLE.DAT.bak csv.kept
s=0; "$TABLE_TOOL" merge KTABLE.DAT.bak KTABLE.DAT >/dev/null 2>onbak.err || s=$?
[ "$s" = 2 ] && cmp -s KTABLE.DAT.bak csv.kept && cmp -s KTABLE.DAT once.dat ||
    fail "merge KTABLE.DAT.bak KTABLE.DAT exited $s or wrote: $(cat onbak.err)"
mkdir folder.dat; mkfifo fifo.dat
for target in folder.dat fifo.dat; do
    s=0; "$TABLE_TOOL" merge a.csv "$target" >/dev/null 2>target.err || s=$?
    [ "$s" = 1 ] || fail "merge into $target exited $s"
    [ -z "$(ls | grep -F "$target.")" ] || fail "merge into $target left: $(ls | grep -F "$target.")"
done

# kill -9 while a save waits at its rename: the next save leaves no
# temporary file, of the table as of a PDF.
month_csv k.csv 2565 6
paused 60000 2 "$TABLE_TOOL" merge k.csv KTABLE.DAT >/dev/null 2>&1
wait_for 20 bash -c 'ls | grep -q "^KTABLE\.DAT\.tmp-"' || fail "no temporary file while the save waits"
kill -9 "$(holder)"
kill -9 "$PAUSED"; wait "$PAUSED" 2>/dev/null || true   # strace would sit out its pause
ls | grep -q '^KTABLE\.DAT\.tmp-' || fail "the killed save left nothing to clear (the test is wrong)"
"$TABLE_TOOL" merge k.csv KTABLE.DAT >/dev/null || fail "the next merge failed"
[ -z "$(ls | grep '\.tmp-')" ] || fail "temporary files after the next save: $(ls | grep '\.tmp-')"

paused 60000 1 "$BATCH" "$CONTRACT" --table KTABLE.DAT --pdf all.pdf >/dev/null 2>&1
wait_for 30 bash -c 'ls | grep -q "^all\.pdf\.tmp-"' || fail "no temporary PDF while it waits"
kill -9 "$(pgrep -P "$PAUSED" -x tarvon-batch)"
kill -9 "$PAUSED"; wait "$PAUSED" 2>/dev/null || true
"$BATCH" "$CONTRACT" --table KTABLE.DAT --pdf all.pdf >/dev/null || fail "the next PDF failed"
[ -s all.pdf ] && [ -z "$(ls | grep '\.tmp-')" ] || fail "temporary files after the next PDF: $(ls)"
echo "1 passed, 0 failed"
