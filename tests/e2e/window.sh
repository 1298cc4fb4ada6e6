#!/usr/bin/env bash
# The real window under Xvfb, used as a person would: formula choice by the
# menu, both dates and the installment by buttons and menu, print with
# --pdf, quit. Checks the caption and the printed sheet's text.
# Usage: window.sh TARVON TARVON_TABLE SAMPLE_CSV [SHOTS_DIR]
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"; fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
SHOTS=${4:+$(realpath -m "$4")}
. "$(dirname "$0")/drive.sh"

# For the README's pictures, a window manager draws the caption bar.
if [ -n "$SHOTS" ] && command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & sleep 1; fi

make_folder
start_app --pdf "$WORK/sheet.pdf"
[ "$(caption)" = "สูตรหมายเลข  1" ] || fail "caption at start: '$(caption)'"
# Printing's libraries come with the first sheet, not with the window.
loaded() { grep -q "$1" "/proc/$APP_PID/maps"; }
! loaded libpangocairo && ! loaded libcairo || fail "the window loaded Pango or Cairo at start-up"
enter_formula3_example
click 3
wait_for 20 test -s "$WORK/sheet.pdf" || fail "no PDF written"
loaded libpangocairo || fail "the sheet was drawn without Pango"
sleep 0.5
check_sheet_text "$WORK/sheet.pdf"
[ "$(pdfinfo "$WORK/sheet.pdf" | awk '/^Pages:/ {print $2}')" = 1 ] || fail "the sheet is not one page"
if [ -n "$SHOTS" ]; then
    mkdir -p "$SHOTS"
    import -window "$WIN" -frame "$SHOTS/window.png"
    pdftoppm -r 80 -png -singlefile "$WORK/sheet.pdf" "$SHOTS/sheet"
fi
quit_app

# A table that can be neither opened nor created: a clear message naming
# the file, and a non-zero exit once it is acknowledged.
rm -rf "$WORK/KTABLE.DAT" && mkdir "$WORK/KTABLE.DAT"
"$TARVON" 2>"$WORK/err.txt" &
APP_PID=$!
wait_for 20 visible_box || fail "no message for an unusable KTABLE.DAT: $(cat "$WORK/err.txt")"
xdotool windowfocus --sync "$(visible_box)"
xdotool key Return
status=0; wait "$APP_PID" || status=$?
[ "$status" != 0 ] || fail "the program exited 0 without its table"
grep -q 'KTABLE.DAT' "$WORK/err.txt" || fail "the message does not name KTABLE.DAT"
rm -rf "$WORK"
echo "1 passed, 0 failed"
