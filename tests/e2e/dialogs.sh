#!/usr/bin/env bash
# The window's dialogs are Thai as a screen reader reads them (AT-SPI), on
# an English desktop: "บันทึกเป็น PDF…" (menu บันทึก, Alt+S) opens Qt's own
# file dialog, every label, button, tool tip, heading and column of it in
# Thai; the index-table window closed with a change asks บันทึก /
# ไม่บันทึก / ยกเลิก: Esc goes back to the table, Enter saves.
# Usage: dialogs.sh TARVON TARVON_TABLE SAMPLE_CSV
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"; fi
if [ -z "${TARVON_A11Y_BUS:-}" ]; then exec env TARVON_A11Y_BUS=1 dbus-run-session -- "$0" "$@"; fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
HERE=$(dirname "$(realpath "$0")")
. "$HERE/drive.sh"

. "$HERE/reader.sh"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# thai_only TITLE OWN...: the window whose title starts with TITLE shows a
# screen reader no English: no two Latin letters in a row in any name or
# tool tip once the user's own names OWN (folders, files), "PDF" and the
# program's name are left out. Keeps what was read in READ.
thai_only() {
    local title=$1; shift
    READ=$("$HERE/texts.py" "$title") || fail "no window '$title' for the screen reader"
    local shown own english
    shown=$(cut -f2- <<<"$READ" | tr '\t' '\n')
    for own in "$@" PDF pdf Tarvon; do shown=${shown//"$own"/}; done
    english=$(grep -E '[A-Za-z]{2,}' <<<"$shown" || true)
    [ -z "$english" ] || fail "English in the window '$title':
$english
(it reads:
$READ)"
}

# reads ROLE NAME: the last window read shows an object ROLE named NAME.
reads() {
    grep -qxF -- "$1	$2" <(cut -f1,2 <<<"$READ") || fail "no $1 '$2' in:
$READ"
}

make_folder
APP_LOG="$WORK/app.log"; : >"$APP_LOG"
# The dialog opens in the Documents folder: a PDF and a folder in it.
export HOME="$WORK/home"
mkdir -p "$HOME/Documents/งาน"
printf '%%PDF' >"$HOME/Documents/old.pdf"
start_app

xdotool windowfocus --sync "$WIN"; xdotool key alt+s; sleep 0.3; xdotool key Return
DIALOG='บันทึกรายการคำนวณเป็น PDF'
wait_for 10 xdotool search --onlyvisible --name "$DIALOG" || fail "no file dialog"
# Its folder is read in the background: wait for the PDF's row.
wait_for 10 bash -c '"$0" "$1" | grep -qP "^table cell\tแฟ้ม PDF"' "$HERE/texts.py" "$DIALOG" ||
    fail "the file dialog shows no PDF of $HOME/Documents: $("$HERE/texts.py" "$DIALOG")"
thai_only "$DIALOG" "$HOME/Documents" "$(basename "$HOME")" old.pdf
reads label "ดูในโฟลเดอร์:"
reads label "ชื่อแฟ้ม (N):"
reads label "ชนิดแฟ้ม:"
reads "push button" "บันทึก (S)"
reads "push button" "ยกเลิก"
reads "push button" "โฟลเดอร์ระดับบน"
reads "table column header" "วันที่แก้ไข"
reads "table cell" "โฟลเดอร์"
reads "list item" "คอมพิวเตอร์"
DIALOG_WIN=$(xdotool search --onlyvisible --name "$DIALOG" | head -1)
xdotool windowfocus --sync "$DIALOG_WIN"; xdotool key Escape
wait_for 10 gone "$DIALOG_WIN" || fail "Esc did not close the file dialog"

# The index-table window (menu ตารางดัชนี, Alt+T): a month added, then
# closed: the question is Thai; Esc keeps the window, Enter saves.
xdotool windowfocus --sync "$WIN"; xdotool key alt+t; sleep 0.3; xdotool key Return
wait_for 10 xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' || fail "no index-table window"
TABLE_WIN=$(xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' | head -1)
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+a
# The month form offers the next month; the values typed as one row fill
# its fields.
answer "310 311 312 313 314 315 316 317 318 319 320 321 322"
SIZE=$(stat -c %s KTABLE.DAT)
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+c
wait_for 10 visible_box || fail "closing with a change asked nothing"
BOX=$(visible_box)
thai_only Tarvon
reads label "ตารางดัชนีราคามีการแก้ไขที่ยังไม่ได้บันทึก บันทึกก่อนปิดหรือไม่?"
reads "push button" "บันทึก (S)"
reads "push button" "ไม่บันทึก (D)"
reads "push button" "ยกเลิก"
xdotool windowfocus --sync "$BOX"; xdotool key Escape
wait_for 10 gone "$BOX" || fail "Esc did not close the question"
! gone "$TABLE_WIN" || fail "Esc at the question closed the index-table window"
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+c
wait_for 10 visible_box || fail "closing with a change asked nothing the second time"
BOX=$(visible_box)
xdotool windowfocus --sync "$BOX"; xdotool key Return
wait_for 10 gone "$TABLE_WIN" || fail "Enter at the question did not close the index-table window"
[ "$(stat -c %s KTABLE.DAT)" = $((SIZE + 90)) ] || fail "Enter at the question did not save the month"
[ -s KTABLE.DAT.bak ] || fail "no KTABLE.DAT.bak after saving"
quit_app
echo "1 passed, 0 failed"
