#!/usr/bin/env bash
# Every window opens within the screen, its last button in sight, on a
# small screen and under a large text scale: 1366x768 at a scale of 1.5
# (910x512 for the program) and 1024x600, each with a desktop's panel of 32
# pixels along the top (the work area a desktop announces). The main
# window, the index-table window, the guide, a prompt box (the long month
# list) and a message box.
# Usage: screens.sh TARVON TARVON_TABLE SAMPLE_CSV
set -euo pipefail
if [ -z "${SCREEN_CASE:-}" ]; then
    for c in "1366x768 1.5" "1024x600 1"; do
        SCREEN_CASE=$c xvfb-run -a -s "-screen 0 ${c% *}x24 -noreset" \
            dbus-run-session -- bash "$0" "$@" || exit 1
    done
    echo "2 passed, 0 failed"
    exit 0
fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
HERE=$(dirname "$(realpath "$0")")
. "$HERE/drive.sh"

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
BUS=$!
trap 'kill "$BUS" 2>/dev/null || true' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
SIZE=${SCREEN_CASE% *}
export QT_SCALE_FACTOR=${SCREEN_CASE#* }
SCREEN_W=${SIZE%x*} SCREEN_H=${SIZE#*x}
PANEL=32
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, $PANEL, $SCREEN_W, $((SCREEN_H - PANEL))"

# fits ID WHAT [TITLE BUTTON]: the window lies within the work area, and the
# button (by its accessible name) within the window.
fits() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    [ "$X" -ge 0 ] && [ "$Y" -ge "$PANEL" ] && [ $((X + WIDTH)) -le "$SCREEN_W" ] &&
        [ $((Y + HEIGHT)) -le "$SCREEN_H" ] ||
        fail "$SCREEN_CASE: the $2 lies at ${X},${Y} ${WIDTH}x${HEIGHT}, off the ${SIZE} screen below a panel of $PANEL"
    if [ $# -gt 2 ]; then
        wait_for 10 "$HERE/shown.py" "$3" "$4" ||
            fail "$SCREEN_CASE: the $2's button '$4' is not in sight: $("$HERE/shown.py" "$3" "$4")"
    fi
}

# choose KEY [DOWNS]: opens a menu of the main window with KEY, and once
# its popup is in sight goes DOWNS items down and chooses the item.
choose() {
    local before; before=$(xdotool search --onlyvisible --pid "$APP_PID" | wc -l)
    xdotool windowfocus --sync "$WIN"; xdotool key "$1"
    wait_for 10 bash -c '[ "$(xdotool search --onlyvisible --pid "$0" | wc -l)" -gt "$1" ]' \
        "$APP_PID" "$before" || fail "no menu on $1"
    local i; for ((i = 0; i < ${2:-0}; i++)); do xdotool key Down; done
    xdotool key Return
}

make_folder
APP_LOG="$WORK/app.log"; : >"$APP_LOG"
start_app --pdf "$WORK/sheet.pdf"
fits "$WIN" "main window" "สูตรหมายเลข" "เลิกงาน"

# The index-table window (menu ตารางดัชนี), then closed with its last button.
choose alt+t
wait_for 10 xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' || fail "no index-table window"
TABLE_WIN=$(xdotool search --onlyvisible --name '^ตารางดัชนีราคา ' | head -1)
fits "$TABLE_WIN" "index-table window" "ตารางดัชนีราคา " "ปิด (C)"
xdotool windowfocus --sync "$TABLE_WIN"; xdotool key alt+c
wait_for 10 gone "$TABLE_WIN" || fail "the index-table window stayed open"

# The guide (F1).
xdotool windowfocus --sync "$WIN"; xdotool key F1
wait_for 10 xdotool search --onlyvisible --name '^วิธีใช้' || fail "no guide"
GUIDE_WIN=$(xdotool search --onlyvisible --name '^วิธีใช้' | head -1)
fits "$GUIDE_WIN" "guide"
xdotool windowfocus --sync "$GUIDE_WIN"; xdotool key Escape
wait_for 10 gone "$GUIDE_WIN" || fail "the guide stayed open"

# The month prompt, the longest, and the message of a month not found.
choose alt+k 0; answer 1
wait_for 10 visible_box || fail "no month prompt"
fits "$(visible_box)" "month prompt" "Tarvon" "ยกเลิก"
answer 1; answer 2005
wait_for 10 visible_box || fail "no message box"
fits "$(visible_box)" "message box" "Tarvon" "ตกลง"
expect_message "ไม่พบข้อมูลดัชนีราคา"
# เลิกงาน from the menu: the buttons' places are not those of a scale of 1.
choose alt+k 4
wait_for 10 bash -c "! kill -0 $APP_PID" || fail "the program did not end on เลิกงาน"
wait "$APP_PID" || fail "the program ended with status $?"
