#!/usr/bin/env bash
# What must never give a wrong or lost sheet, tried on the real window
# under Xvfb: Cancel in the middle of an entry, a month not in the table, an
# index field beyond the Single range, a PDF written onto a full disk, and a
# KTABLE.DAT that is a FIFO. Needs root for the small full filesystem.
# Usage: failures.sh TARVON TARVON_TABLE SAMPLE_CSV
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"; fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
. "$(dirname "$0")/drive.sh"
[ "$(id -u)" = 0 ] || fail "mounting a small full filesystem needs root; run the tests as root (as CI does)"
FULL=""
cleanup() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$FULL" ] && umount "$FULL" 2>/dev/null || true
    rm -rf "${WORK:-}"
}
trap cleanup EXIT
sheet_text() { pdftotext -layout "$1" -; }

make_folder
APP_LOG="$WORK/messages.txt"; : >"$APP_LOG"
start_app --pdf "$WORK/sheet.pdf"
enter_formula3_example
click 3
wait_for 20 test -s "$WORK/sheet.pdf" || fail "no PDF written"
sleep 0.5
before=$(sheet_text "$WORK/sheet.pdf")

# A second installment cancelled at the price of its first item, and a bid
# opening cancelled at its year after a new day and month: the sheet stays.
click 1; answer 21; answer 10; answer 2548; answer second; answer "2,000,000"; answer crane; cancel
click 0; answer 1; answer 2; cancel
rm "$WORK/sheet.pdf"
click 3
wait_for 20 test -s "$WORK/sheet.pdf" || fail "no PDF after the cancelled entries"
sleep 0.5
[ "$(sheet_text "$WORK/sheet.pdf")" = "$before" ] || fail "a cancelled entry changed the sheet"

# A month that is not in the table: the not-found message at entry, and the
# print command refuses, naming the month; the last PDF stays as it was.
cp "$WORK/sheet.pdf" "$WORK/kept.pdf"
click 0; answer 15; answer 9; answer 2541
expect_message "ไม่พบข้อมูลดัชนีราคา"
click 3
expect_message "ไม่พบข้อมูลดัชนีราคาของวันเปิดซอง (เดือนกันยายน พ.ศ. 2541)"
cmp -s "$WORK/sheet.pdf" "$WORK/kept.pdf" || fail "a refused print touched the PDF"
quit_app

# A PDF onto a full filesystem: a message saying the file was not written,
# and the PDF that was there survives byte for byte.
FULL="$WORK/full"; mkdir "$FULL"
mount -t tmpfs -o size=256k tmpfs "$FULL"
cp "$WORK/kept.pdf" "$FULL/sheet.pdf"
dd if=/dev/zero of="$FULL/filler" bs=4k 2>/dev/null || true
start_app --pdf "$FULL/sheet.pdf"
enter_formula3_example
click 3
expect_message "เขียนแฟ้ม $FULL/sheet.pdf ไม่ได้: พื้นที่บนดิสก์เต็ม"
cmp -s "$FULL/sheet.pdf" "$WORK/kept.pdf" || fail "the old PDF did not survive the full disk"
[ -z "$(ls "$FULL" | grep -v -e '^sheet.pdf$' -e '^filler$')" ] || fail "a temporary file was left behind: $(ls "$FULL")"
quit_app
umount "$FULL"; FULL=""

# An index field of "1e39" (beyond the Single range) in the bid-opening
# month: the sheet is refused, naming the index and the month.
at=$(grep -bo '  2548     1' "$WORK/KTABLE.DAT" | head -1 | cut -d: -f1)
printf '  1e39' | dd of="$WORK/KTABLE.DAT" bs=1 seek=$((at + 48)) conv=notrunc 2>/dev/null
rm -f "$WORK/sheet.pdf"
start_app --pdf "$WORK/sheet.pdf"
enter_formula3_example
click 3
expect_message "ค่าดัชนี Ao ของเดือนมกราคม พ.ศ. 2548"
[ ! -e "$WORK/sheet.pdf" ] || fail "a sheet was printed from an infinite index"
quit_app

# --pdf naming the table itself (by a link, too): refused at start-up,
# exit 1, and the table keeps every byte.
cp "$WORK/KTABLE.DAT" "$WORK/table.kept"
ln -s KTABLE.DAT "$WORK/table-link.pdf"
for pdf in KTABLE.DAT ./table-link.pdf; do
    "$TARVON" --pdf "$pdf" 2>>"$APP_LOG" &
    APP_PID=$!
    expect_message "เป็นแฟ้มเดียวกับ KTABLE.DAT"
    status=0; wait "$APP_PID" || status=$?
    APP_PID=""
    [ "$status" = 1 ] || fail "--pdf $pdf gave exit status $status, not 1"
    cmp -s "$WORK/KTABLE.DAT" "$WORK/table.kept" || fail "--pdf $pdf changed the table"
done

# KTABLE.DAT that is a FIFO: the same message and exit status as a table
# that cannot be opened, at once rather than a hang.
rm "$WORK/KTABLE.DAT"; mkfifo "$WORK/KTABLE.DAT"
"$TARVON" 2>>"$APP_LOG" &
APP_PID=$!
expect_message "ไม่ใช่แฟ้มธรรมดา (เช่น FIFO"
status=0; wait "$APP_PID" || status=$?
APP_PID=""
[ "$status" = 1 ] || fail "a FIFO table gave exit status $status, not 1"
echo "1 passed, 0 failed"
