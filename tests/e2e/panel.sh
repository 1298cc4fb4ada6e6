#!/usr/bin/env bash
# The window's panel as a screen reader reads it (AT-SPI): after a complete
# entry it shows the months, the designation, the items, the net amount
# and the K of the sheet; Cancel at the item prompt leaves the previous
# entry with a notice; a month not found names the month, the table and the
# Buddhist Era and shows no index values for it; a print and "บันทึกเป็น
# PDF…" say where the sheet went. A screen reader meets each line once,
# title and value, finds no nameless stop, and hears the news ("ล่าสุด")
# when it comes. A day its month does not have is said and asked again.
# Usage: panel.sh TARVON TARVON_TABLE SAMPLE_CSV
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"; fi
if [ -z "${TARVON_A11Y_BUS:-}" ]; then exec env TARVON_A11Y_BUS=1 dbus-run-session -- "$0" "$@"; fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
HERE=$(dirname "$(realpath "$0")")
. "$HERE/drive.sh"

. "$HERE/reader.sh"

make_folder
APP_LOG="$WORK/app.log"; : >"$APP_LOG"
start_app --pdf "$WORK/sheet.pdf"
panel_says "แฟ้มดัชนีราคา: $WORK/KTABLE.DAT / "
enter_formula3_example
panel_says "วันเปิดซอง: 15 มกราคม พ.ศ. 2548 (1/2548): พบในแฟ้มดัชนีราคา"
panel_says "ดัชนีเดือนส่งงาน: At = 206.4, Et = 201.5, Ft = 399.3"
panel_says "งวด: 3 ฐานราก"
panel_says "1. ปั๊มน้ำ P-1: 50,000.00 บาท"
panel_says "คงเหลือเงินในงวดนี้: 950,000.00 บาท"
panel_says "ค่า K: 1.159 สูงกว่าช่วง 0.96 ถึง 1.04 (ส่วนเกิน 0.119): ได้รับเงินชดเชย 113,050.00 บาท"

# One object a line, its title read once with its value; nothing a
# keyboard reaches that a screen reader could not name.
for title in ล่าสุด แฟ้มดัชนีราคา สูตร วันเปิดซอง ดัชนีเดือนเปิดซอง วันส่งงาน ดัชนีเดือนส่งงาน งวด ค่างวด \
    ครุภัณฑ์ที่หัก คงเหลือเงินในงวดนี้ "ค่า K"; do
    n=$("$HERE/panel.py" | grep -cE "^$title(:|\$)" || true)
    [ "$n" = 1 ] || fail "the title '$title' is read $n times:
$("$HERE/panel.py")"
done
unnamed=$("$HERE/panel.py" --unnamed-stops) || fail "no window on the accessibility bus"
[ -z "$unnamed" ] || fail "focus stops without a name: $unnamed"

# The print: the sheet's K is the panel's, and the panel says where it went.
click 3
wait_for 20 test -s "$WORK/sheet.pdf" || fail "no PDF written"
panel_says "ล่าสุด: บันทึกรายการคำนวณลงแฟ้ม $WORK/sheet.pdf แล้ว"
grep -qxF 'K =  1.159 ' <<<"$(pdftotext -raw "$WORK/sheet.pdf" -)" || fail "the sheet's K is not the panel's"

# Cancel at the price of the second item: the previous entry stands, and a
# screen reader hears it: the news line, a notification, shows afresh.
"$HERE/events.py" 120 >"$WORK/events" &
LISTENER=$!
wait_for 10 grep -q '^listening' "$WORK/events" || fail "no event listener"
click 1; answer 21; answer 11; answer 2548; answer "4 งานหลังคา"; answer 2000000
answer "รถเครน"
# The program tells the bus only once it has learnt of the listener: an
# event of the prompts has come through before the news is made.
wait_for 10 grep -q '^object:' "$WORK/events" || fail "the listener hears nothing of the program"
cancel
panel_says "ล่าสุด: ยกเลิกการป้อนข้อมูลงวดงานแล้ว: ข้อมูลงวดที่ป้อนไว้ก่อนหน้านี้ยังใช้อยู่"
wait_for 10 grep -qF "object:state-changed:showing|1|notification|ล่าสุด: ยกเลิกการป้อนข้อมูลงวดงานแล้ว" "$WORK/events" ||
    fail "no screen reader event brought the news; it heard:
$(grep -v '|label|' "$WORK/events" | tail -20)"
kill "$LISTENER"
panel_says "งวด: 3 ฐานราก"
panel_says "วันส่งงาน: 20 ตุลาคม พ.ศ. 2548"

# A Christian year: the month, the table and the Buddhist Era are named.
click 0; answer 1; answer 1; answer 2005
expect_message "เดือนที่ค้นหา: 1/2005"
grep -qF "ในแฟ้ม: $WORK/KTABLE.DAT" "$APP_LOG" || fail "the message does not name the table"
grep -qF "พ.ศ. = ค.ศ. + 543" "$APP_LOG" || fail "the message lacks the Buddhist Era hint"
panel_says "ค่า K: พิมพ์ไม่ได้: ไม่พบข้อมูลดัชนีราคาของวันเปิดซอง"
panel_says "ดัชนีเดือนเปิดซอง: ไม่มีค่าดัชนีของเดือน 1/2005 ในแฟ้มดัชนีราคา"

# "บันทึกเป็น PDF…" in its own menu: the file dialog, a name, Enter.
click 0; answer 15; answer 1; answer 2548
xdotool windowfocus --sync "$WIN"; xdotool key alt+s; sleep 0.3; xdotool key Return
wait_for 10 xdotool search --onlyvisible --name 'บันทึกรายการคำนวณเป็น PDF' || fail "no file dialog"
sleep 0.5
xdotool key ctrl+a; xdotool type --delay 15 "$WORK/kept.pdf"; xdotool key Return
wait_for 20 test -s "$WORK/kept.pdf" || fail "บันทึกเป็น PDF wrote nothing"
panel_says "ล่าสุด: บันทึกรายการคำนวณลงแฟ้ม $WORK/kept.pdf แล้ว"
grep -qxF 'K =  1.159 ' <<<"$(pdftotext -raw "$WORK/kept.pdf" -)" || fail "the kept PDF is not the sheet"
# A month merged from the command line while the window is open: the panel
# counts it, and the next search finds it.
head -1 "$SAMPLE_CSV" >"$WORK/new.csv"
echo '2564,8,300,301,302,303,304,305,306,307,308,309,310,311,312' >>"$WORK/new.csv"
"$TARVON_TABLE" merge "$WORK/new.csv" "$WORK/KTABLE.DAT" >/dev/null || fail "merge"
click 0; answer 1; answer 8; answer 2564
panel_says "29 เดือน (ระเบียนแรก 1/2548 ระเบียนสุดท้าย 8/2564)"
panel_says "วันเปิดซอง: 1 สิงหาคม พ.ศ. 2564 (8/2564): พบในแฟ้มดัชนีราคา"
# The index-table window (menu ตารางดัชนี, Alt+T): add the month offered
# (9/2564, after the latest), its values as one row, save, close; the next
# search finds it.
xdotool windowfocus --sync "$WIN"; xdotool key alt+t; sleep 0.3; xdotool key Return
wait_for 10 xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' || fail "no index-table window"
TABLE_WIN=$(xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' | head -1)
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+a
answer "310 311 312 313 314 315 316 317 318 319 320 321 322"   # the month form, the month offered
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+s; sleep 0.5
xdotool key alt+c
wait_for 10 gone "$TABLE_WIN" || fail "the index-table window stayed open"
cmp -s "$WORK/KTABLE.DAT.bak" <(head -c 2610 "$WORK/KTABLE.DAT") || fail "the table before saving was not kept"
click 0; answer 1; answer 9; answer 2564
panel_says "วันเปิดซอง: 1 กันยายน พ.ศ. 2564 (9/2564): พบในแฟ้มดัชนีราคา"
panel_says "30 เดือน (ระเบียนแรก 1/2548 ระเบียนสุดท้าย 9/2564)"

# A day its month does not have: said, and the day alone asked again.
click 0; answer 31; answer 11; answer 2562
expect_message "เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน"
answer 30
panel_says "วันเปิดซอง: 30 พฤศจิกายน พ.ศ. 2562 (11/2562): พบในแฟ้มดัชนีราคา"
# Cancel at the day asked again leaves the installment as it was.
click 1; answer 0; answer 2; answer 2563
expect_message "เดือนกุมภาพันธ์ พ.ศ. 2563 มี 29 วัน วันที่ต้องเป็น 1 ถึง 29"
cancel
panel_says "ล่าสุด: ยกเลิกการป้อนข้อมูลงวดงานแล้ว"
panel_says "วันส่งงาน: 20 ตุลาคม พ.ศ. 2548 (10/2548): พบในแฟ้มดัชนีราคา"
quit_app
echo "1 passed, 0 failed"
