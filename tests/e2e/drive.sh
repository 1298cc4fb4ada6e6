# Drives the real tarvon window on an X display the way a person does:
# clicks on the buttons, Alt+K and the arrow keys for the menu, typing into
# the prompt boxes. Source it; needs DISPLAY, xdotool and xwininfo.
# The scripts start Xvfb with -noreset: without it the server resets each
# time its last client (an xdotool call, say) disconnects, and a program
# that connects just then fails to start.

fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_for SECONDS COMMAND...: retries COMMAND until it succeeds.
wait_for() {
    local limit=$(( $1 * 10 )) i=0; shift
    until "$@" >/dev/null 2>&1; do
        i=$((i + 1)); [ "$i" -ge "$limit" ] && return 1; sleep 0.1
    done
}

visible_box() { xdotool search --onlyvisible --name '^Tarvon$' | tail -1; }
gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }

# start_app ARGS...: starts tarvon in the current folder; sets APP_PID, WIN.
start_app() {
    "$TARVON" "$@" 2>>"${APP_LOG:-/dev/null}" &
    APP_PID=$!
    wait_for 20 xdotool search --onlyvisible --name 'สูตรหมายเลข' ||
        fail "the window did not open: $(tail -5 "${APP_LOG:-/dev/null}")"
    WIN=$(xdotool search --onlyvisible --name 'สูตรหมายเลข' | head -1)
    # The client area opens 540 pixels high (frmTarvon::kClientHeight);
    # the menu bar takes the rest. The buttons stand at its top left.
    local h; h=$(xwininfo -id "$WIN" | awk '/Height:/ {print $2}')
    MENU_H=$(( h - 540 ))
}

caption() { xdotool getwindowname "$WIN"; }

# answer TEXT: types TEXT into the open prompt box and presses Enter.
answer() {
    wait_for 10 visible_box || fail "no prompt box for '$1'"
    local box; box=$(visible_box)
    xdotool mousemove --window "$box" 30 30
    # Thai goes in by the clipboard: typed, each letter needs a spare key
    # remapped for it, and a loaded machine drops marks ("ปัมมน้ำ"). The
    # paste is read from the clipboard before the Enter after it is.
    if LC_ALL=C grep -q '[^ -~]' <<<"$1"; then
        printf '%s' "$1" | xclip -selection clipboard
        xdotool key ctrl+v
    else
        xdotool type --delay 15 -- "$1"
    fi
    xdotool key Return
    wait_for 10 gone "$box" || fail "the prompt box stayed open after '$1'"
}

# cancel: presses Escape in the open prompt box (its Cancel).
cancel() {
    wait_for 10 visible_box || fail "no prompt box to cancel"
    local box; box=$(visible_box)
    xdotool mousemove --window "$box" 30 30
    xdotool key Escape
    wait_for 10 gone "$box" || fail "the prompt box stayed open after Escape"
}

# expect_message TEXT: a message box comes up, saying TEXT (the program
# also writes each message to its standard error, kept in APP_LOG); Enter
# closes it.
expect_message() {
    wait_for 20 visible_box || fail "no message box (expected '$1')"
    local box; box=$(visible_box)
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_for 10 gone "$box" || fail "the message box stayed open"
    local seen=${LOG_SEEN:-0} said
    said=$(tail -c +$((seen + 1)) "$APP_LOG")
    LOG_SEEN=$(stat -c %s "$APP_LOG")
    grep -qF -- "$1" <<<"$said" || fail "expected a message with '$1', got: $said"
}

# click N: clicks button N (0 = top, cmdO, ... 4 = cmdExit).
click() {
    xdotool mousemove --window "$WIN" 160 $(( MENU_H + 32 + 40 * $1 )) click 1
}

# menu N: opens the menu with Alt+K and chooses item N (0 = mnuO).
menu() {
    xdotool windowfocus --sync "$WIN"
    xdotool key alt+k
    sleep 0.3
    local i; for ((i = 0; i < $1; i++)); do xdotool key Down; done
    xdotool key Return
}

# A working folder with the sample table built from the bundled CSV.
# For the README's pictures (SHOTS set) it is a folder a user would have,
# not a temporary one whose name the pictures would show.
make_folder() {
    if [ -n "${SHOTS:-}" ]; then
        WORK="$HOME/งานค่า K"
        rm -rf "$WORK" && mkdir -p "$WORK"
    else
        WORK=$(mktemp -d)
    fi
    "$TARVON_TABLE" import "$SAMPLE_CSV" "$WORK/KTABLE.DAT" >/dev/null || fail "sample table"
    cd "$WORK"
}

# One installment of formula 3 on the sample months 1/2548 and 10/2548,
# with one equipment item: K 1.159, compensation 113050 baht. The
# designation and the item's name are typed in Thai.
enter_formula3_example() {
    menu 2; answer 3
    [ "$(caption)" = "สูตรหมายเลข  3" ] || fail "caption after formula 3: '$(caption)'"
    click 0; answer 15; answer 1; answer 2548
    menu 1; answer 20; answer 10; answer 2548; answer "3 ฐานราก"; answer "1,000,000"
    answer "ปั๊มน้ำ P-1"; answer 50000; answer "Transformer"; answer 0
}

# check_sheet_text PDF: the sheet of the example above, as its text layer
# gives it back (Thai marks, SARA AM and the numbers' own spaces included).
check_sheet_text() {
    local text; text=$(pdftotext -raw "$1" -) || fail "no text in $1"
    while IFS= read -r want; do
        grep -qxF -- "$want" <<<"$text" || fail "the sheet lacks the line '$want'; it reads:
$text"
    done <<'LINES'
สูตรที่ 3 งานทาง Prime coat,Tack coat, Seal coat
K = 0.30 + 0.40At/Ao + 0.20Et/Eo + 0.10Ft/Fo
เปิดซองประกวดราคาเมื่อวันที่  15  เดือนมกราคม พ.ศ.  2548 
Ao =  171.1  , Eo =  190.2  , Fo =  239.5 
งวดที่ 3 ฐานราก ส่งงานวันที่  20  เดือนตุลาคม พ.ศ.  2548 
At =  206.4  , Et =  201.5  , Ft =  399.3 
K = 0.30 + 0.40( 206.4 / 171.1 ) + 0.20( 201.5 / 190.2 )
+ 0.10( 399.3 / 239.5 )
K = 0.30 + 0.40( 1.206 ) + 0.20( 1.059 ) + 0.10( 1.667 )
K = 0.30 +  0.482  +  0.211  +  0.166 
K =  1.159 
ค่า K สูงกว่า 1.04 =  0.119  จะได้รับค่าชดเชย
เงินงวดนี้ =  1000000   บาท
หัก ปั๊มน้ำ P-1                                        =  50000   บาท
รวมหักในงวดนี้ =  50000   บาท
คงเหลือเงินในงวดนี้ =  950000   บาท
จะได้รับเงินชดเชย =  0.119  x  950000  =  113050   บาท
LINES
}

quit_app() {
    click 4
    wait_for 10 bash -c "! kill -0 $APP_PID" || fail "the program did not end on เลิกงาน"
    wait "$APP_PID" || fail "the program ended with status $?"
}
