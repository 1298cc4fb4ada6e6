#!/usr/bin/env bash
# The contract register under Xvfb, as an office uses it: from the main
# window's menu "สัญญา", a contract of 12 installments under two formulas
# entered by keyboard in the forms, printed (into the window's --pdf file)
# with sheets equal to tarvon-batch's for the same rows (which are the main
# window's); closed, reopened and printed again, the same; an installment
# whose month the table does not hold waits, and computes once the month
# is merged while the window is open, with nothing done in it.
# With SHOTS_DIR, the README's pictures of the register are made there.
# Usage: registerwindow.sh TARVON TARVON_TABLE TARVON_BATCH SAMPLE_CSV [SHOTS_DIR]
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"; fi
if [ -z "${TARVON_A11Y_BUS:-}" ]; then exec env TARVON_A11Y_BUS=1 dbus-run-session -- "$0" "$@"; fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") TARVON_BATCH=$(realpath "$3") SAMPLE_CSV=$(realpath "$4")
SHOTS=${5:+$(realpath -m "$5")}
HERE=$(dirname "$(realpath "$0")")
. "$HERE/drive.sh"
. "$HERE/reader.sh"
# For the README's pictures, a window manager draws the caption bars.
if [ -n "$SHOTS" ] && command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & sleep 1; fi
cleanup() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    kill "$BUS" 2>/dev/null || true
    rm -rf "${WORK:-}"
}
trap cleanup EXIT

make_folder
export XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config"
APP_LOG="$WORK/app.log"; : >"$APP_LOG"

# The rows: formula, day, month, year, designation, amount (bid 15/1/2548).
ROWS=(
    "3 20 2 2548 1 100000" "3 20 3 2548 2 200000" "3 21 4 2548 3 300000"
    "3 20 5 2548 4 400000" "3 20 6 2548 5 500000" "3 20 7 2548 6 600000"
    "1 22 8 2548 7 700000" "1 20 9 2548 8 800000" "1 31 10 2548 9 900000"
    "1 30 11 2548 10 1000000" "1 20 12 2548 11 1100000" "1 20 1 2561 12 1200000"
)
{
    echo "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount"
    for r in "${ROWS[@]}"; do
        read -r f d m y des amt <<<"$r"
        echo "$f,15,1,2548,$d,$m,$y,$des,$amt"
    done
} >"$WORK/contract.csv"
"$TARVON_BATCH" "$WORK/contract.csv" --table "$WORK/KTABLE.DAT" --pdf "$WORK/batch.pdf" >/dev/null ||
    fail "tarvon-batch on the same rows"
pdftotext -layout "$WORK/batch.pdf" "$WORK/batch.txt"

start_app --pdf "$WORK/sheets.pdf"
open_register() {
    xdotool windowfocus --sync "$WIN"; xdotool key alt+c; sleep 0.3; xdotool key Return
    wait_for 20 xdotool search --onlyvisible --name '^ทะเบียนสัญญา - register.sqlite$' || fail "no register window"
    REG=$(xdotool search --onlyvisible --name '^ทะเบียนสัญญา - register.sqlite$' | head -1)
}
# form_open TITLE: waits for the form titled TITLE and focuses it.
form_open() {
    wait_for 10 xdotool search --onlyvisible --name "^$1" || fail "no form '$1'"
    FORM=$(xdotool search --onlyvisible --name "^$1" | head -1)
    xdotool windowfocus --sync "$FORM"
}
typed() { xdotool type --delay 15 -- "$1"; }

open_register
[ -f "$XDG_DATA_HOME/tarvon/register.sqlite" ] || fail "the user's register was not created"
xdotool windowfocus --sync "$REG"; xdotool key alt+n
form_open 'เพิ่มสัญญา'
typed "C-1"; xdotool key Tab; typed "Road 3"; xdotool key Tab; typed "Builder"
xdotool key Tab; typed 15; xdotool key Tab; typed 1; xdotool key Tab; typed 2548
xdotool key Tab ctrl+a; typed 3; xdotool key Return
wait_for 10 gone "$FORM" || fail "the contract form stayed open"
panel_says "ล่าสุด: เพิ่มสัญญาเลขที่ C-1 แล้ว"

for r in "${ROWS[@]}"; do
    read -r f d m y des amt <<<"$r"
    xdotool windowfocus --sync "$REG"; xdotool key alt+a
    form_open 'เพิ่มงวด'
    # The day has the focus; the formula stands before it.
    xdotool key shift+Tab ctrl+a; typed "$f"; xdotool key Tab
    typed "$d"; xdotool key Tab; typed "$m"; xdotool key Tab; typed "$y"; xdotool key Tab
    typed "$des"; xdotool key Tab; typed "$amt"
    panel_says "ผลการคำนวณ: K = "
    xdotool key Return
    wait_for 10 gone "$FORM" || fail "the installment form stayed open for row '$r'"
    panel_says "ล่าสุด: เพิ่มงวดแล้ว: $des ส่งงาน $d/$m/$y"
done

# A slip in one field is said naming it, and the form keeps the rest.
xdotool windowfocus --sync "$REG"; xdotool key alt+a
form_open 'เพิ่มงวด'
typed 31; xdotool key Tab; typed 11; xdotool key Tab; typed 2562
panel_says "ผลการคำนวณ: วันที่ที่ส่งงาน: เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน"
xdotool key Escape
wait_for 10 gone "$FORM" || fail "the form did not close on Escape"

print_contract() {
    rm -f "$WORK/sheets.pdf"
    xdotool windowfocus --sync "$REG"; xdotool key alt+l
    panel_says "ล่าสุด: พิมพ์รายการคำนวณ 12 งวด ไปที่เครื่องพิมพ์แล้ว"
    wait_for 10 test -s "$WORK/sheets.pdf" || fail "no PDF"
    pdftotext -layout "$WORK/sheets.pdf" "$WORK/$1.txt"
    cmp -s "$WORK/batch.txt" "$WORK/$1.txt" ||
        fail "the register's sheets differ from tarvon-batch's: $(diff "$WORK/batch.txt" "$WORK/$1.txt" | head -20)"
}
print_contract first
if [ -n "$SHOTS" ]; then mkdir -p "$SHOTS"; import -window "$REG" -frame "$SHOTS/register.png"; fi
[ "$(pdfinfo "$WORK/sheets.pdf" | awk '/^Pages:/ {print $2}')" = 12 ] || fail "not 12 pages"

# Closed and opened again: the same contract, the same sheets.
xdotool windowfocus --sync "$REG"; xdotool key alt+r; sleep 0.3; xdotool key Up Return
wait_for 10 gone "$REG" || fail "the register window stayed open"
open_register
panel_says "พิมพ์แล้ว"
print_contract again

# A month the table does not hold yet: the row waits, then computes once
# the month is merged, the window left alone.
xdotool windowfocus --sync "$REG"; xdotool key alt+a
form_open 'เพิ่มงวด'
typed 3; xdotool key Tab; typed 8; xdotool key Tab; typed 2564; xdotool key Tab; typed 13; xdotool key Tab; typed 50000
panel_says "ผลการคำนวณ: รอดัชนีเดือน 8/2564"
if [ -n "$SHOTS" ]; then import -window "$FORM" -frame "$SHOTS/installment-form.png"; fi
xdotool key Return
wait_for 10 gone "$FORM" || fail "the waiting installment's form stayed open"
panel_says "รอดัชนีเดือน 8/2564"
{ head -1 "$SAMPLE_CSV"; echo '2564,8,300,301,302,303,304,305,306,307,308,309,310,311,312'; } >"$WORK/august.csv"
"$TARVON_TABLE" merge "$WORK/august.csv" "$WORK/KTABLE.DAT" >/dev/null || fail "the merge of 8/2564"
panel_says "ยังไม่พิมพ์"
! "$HERE/panel.py" | grep -qF "รอดัชนีเดือน 8/2564" || fail "the row still waits after the merge"

xdotool windowfocus --sync "$REG"; xdotool key alt+r; sleep 0.3; xdotool key Up Return
wait_for 10 gone "$REG" || fail "the register window stayed open"
quit_app
echo "1 passed, 0 failed"
