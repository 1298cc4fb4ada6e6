#!/usr/bin/env bash
# The index-table window under Xvfb, as an office meets it: while it is
# open a merge is refused naming it (through the table's name or a link
# from another folder) and writes nothing; a second Tarvon opening the same
# table through a link is refused naming the first; in the month form a
# row typed for another month is refused naming both months and the form
# stays open; values typed field by field, one left blank, are added and
# saved; once the window is closed a merge goes through.
# Usage: tablewindow.sh TARVON TARVON_TABLE SAMPLE_CSV
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"; fi
if [ -z "${TARVON_A11Y_BUS:-}" ]; then exec env TARVON_A11Y_BUS=1 dbus-run-session -- "$0" "$@"; fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
HERE=$(dirname "$(realpath "$0")")
. "$HERE/drive.sh"

. "$HERE/reader.sh"
SECOND=""
cleanup() {
    [ -n "$SECOND" ] && kill "$SECOND" 2>/dev/null || true
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    kill "$BUS" 2>/dev/null || true
    rm -rf "${WORK:-}" "${OTHER:-}"
}
trap cleanup EXIT

make_folder
APP_LOG="$WORK/app.log"; : >"$APP_LOG"
OTHER=$(mktemp -d)
ln -s "$WORK/KTABLE.DAT" "$OTHER/KTABLE.DAT"
head -1 "$SAMPLE_CSV" >"$WORK/new.csv"
echo '2564,9,300,301,302,303,304,305,306,307,308,309,310,311,312' >>"$WORK/new.csv"
cp "$WORK/KTABLE.DAT" "$WORK/before.dat"

start_app
xdotool windowfocus --sync "$WIN"; xdotool key alt+t; sleep 0.3; xdotool key Return
wait_for 10 xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' || fail "no index-table window"
TABLE_WIN=$(xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' | head -1)

# A merge while the window has the table, by its name or through a link.
for table in "$WORK/KTABLE.DAT" "$OTHER/KTABLE.DAT"; do
    s=0; "$TARVON_TABLE" merge "$WORK/new.csv" "$table" >/dev/null 2>"$WORK/merge.err" || s=$?
    [ "$s" = 1 ] || fail "a merge into $table while the window is open exited $s"
    grep -qF "หน้าต่างตารางดัชนีราคาของโปรแกรม Tarvon (กระบวนการหมายเลข $APP_PID) กำลังแก้ตาราง" "$WORK/merge.err" ||
        fail "the refusal does not name the window: $(cat "$WORK/merge.err")"
    cmp -s "$WORK/KTABLE.DAT" "$WORK/before.dat" && [ ! -e "$WORK/KTABLE.DAT.bak" ] ||
        fail "the refused merge wrote"
done

# A second Tarvon in the other folder: its table window is refused.
cd "$OTHER"
"$TARVON" 2>"$OTHER/app.log" &
SECOND=$!
cd "$WORK"
wait_for 20 xdotool search --all --pid "$SECOND" --onlyvisible --name 'สูตรหมายเลข' || fail "the second Tarvon did not open"
W2=$(xdotool search --all --pid "$SECOND" --onlyvisible --name 'สูตรหมายเลข' | head -1)
xdotool windowfocus --sync "$W2"; xdotool key alt+t; sleep 0.3; xdotool key Return
wait_for 10 grep -qF 'กำลังแก้ตาราง' "$OTHER/app.log" || fail "the second window was not refused: $(cat "$OTHER/app.log")"
grep -qF "(กระบวนการหมายเลข $APP_PID)" "$OTHER/app.log" || fail "the refusal does not name the first: $(cat "$OTHER/app.log")"
! xdotool search --all --pid "$SECOND" --onlyvisible --name '^ตารางดัชนีราคา ' >/dev/null || fail "a second table window opened"
kill "$SECOND"; wait "$SECOND" 2>/dev/null || true; SECOND=""

# The month form: a row typed for October while August is being added.
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+a
wait_for 10 visible_box || fail "no month form"
FORM=$(visible_box)
xdotool type --delay 15 "2564 10 300 301 302 303 304 305 306 307 308 309 310 311 312"
xdotool key Return
panel_says "แถวที่วางขึ้นต้นด้วยเดือน 10/2564 ไม่ใช่เดือน 8/2564 ที่กำลังป้อน"
! gone "$FORM" || fail "the form closed on a row of another month"
# Values typed field by field, C left blank (not yet published).
xdotool key ctrl+a; xdotool type --delay 15 "300"
for v in 301 "" 303 304 305 306 307 308 309 310 311 312; do
    xdotool key Tab; [ -z "$v" ] || xdotool type --delay 15 "$v"
done
xdotool key Return
wait_for 10 gone "$FORM" || fail "the month form stayed open"
panel_says "ล่าสุด: เพิ่มเดือน 8/2564 แล้ว (ยังไม่ได้บันทึก)"
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+s
panel_says "ล่าสุด: บันทึกตารางลงแฟ้ม"
xdotool key alt+c
wait_for 10 gone "$TABLE_WIN" || fail "the index-table window stayed open"
"$TARVON_TABLE" export "$WORK/KTABLE.DAT" "$WORK/saved.csv"
grep -qx '2564,8,300,301,,303,304,305,306,307,308,309,310,311,312' "$WORK/saved.csv" ||
    fail "the month saved is not what was typed: $(tail -2 "$WORK/saved.csv")"
cmp -s "$WORK/KTABLE.DAT.bak" "$WORK/before.dat" || fail "the table before saving was not kept"

# The window closed, the lock is free: the merge goes through.
"$TARVON_TABLE" merge "$WORK/new.csv" "$OTHER/KTABLE.DAT" >/dev/null || fail "the merge after closing failed"
quit_app
echo "1 passed, 0 failed"
