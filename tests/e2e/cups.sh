#!/usr/bin/env bash
# Real printing, end to end: a private CUPS server with a cups-pdf queue as
# the default printer; the real window prints one sheet to it; exactly one
# job must complete, with one page and a non-empty PDF. The server is
# stopped again on exit. A queue that rejects jobs and a server that is
# gone must each bring a message that says so; so must a paused queue and
# a printer whose backend fails after the job was taken, in the window and
# from tarvon-batch --print (exit 3); so must a job the print system cancels
# or aborts, and a document refused after its job was made (no job is left
# waiting for it). Needs root for cupsd (CI runs as root).
# Usage: cups.sh TARVON TARVON_TABLE SAMPLE_CSV
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"; fi
TARVON=$(realpath "$1") TARVON_TABLE=$(realpath "$2") SAMPLE_CSV=$(realpath "$3")
. "$(dirname "$0")/drive.sh"

command -v cupsd >/dev/null || fail "cupsd is not installed (package cups; 'make test' installs it)"
[ -x /usr/lib/cups/backend/cups-pdf ] || fail "the cups-pdf backend is missing (package printer-driver-cups-pdf)"
[ "$(id -u)" = 0 ] || fail "cupsd must run as root here; run the tests as root (as CI does) or use sudo"
PPD=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -1)
[ -n "$PPD" ] || fail "no cups-pdf PPD found"

CUPS=$(mktemp -d)
mkdir -p "$CUPS"/{spool/tmp,cache,state,log,out}
chmod 0755 "$CUPS" "$CUPS/out"
cat >"$CUPS/cupsd.conf" <<CONF
Listen $CUPS/cups.sock
LogLevel info
Browsing Off
DefaultAuthType None
WebInterface No
MaxJobs 10
# Small enough that a long contract's document is refused after its job
# was made (a sheet is some 20 KB).
MaxRequestSize 512k
PreserveJobHistory Yes
PreserveJobFiles Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
cat >"$CUPS/cups-files.conf" <<CONF
ServerRoot $CUPS
RequestRoot $CUPS/spool
TempDir $CUPS/spool/tmp
CacheDir $CUPS/cache
StateDir $CUPS/state
ErrorLog $CUPS/log/error_log
AccessLog $CUPS/log/access_log
PageLog $CUPS/log/page_log
ServerBin $CUPS/bin
SystemGroup root
Printcap /dev/null
CONF
cp "$PPD" "$CUPS/queue.ppd"
# The system's filters and backends, and one backend of the test's own: a
# printer that takes the job, then fails.
mkdir -p "$CUPS/bin/backend"
for d in /usr/lib/cups/*; do [ "$(basename "$d")" = backend ] || ln -s "$d" "$CUPS/bin/"; done
for b in /usr/lib/cups/backend/*; do ln -s "$b" "$CUPS/bin/backend/"; done
cat >"$CUPS/bin/backend/tarvonfail" <<'SH'
#!/bin/sh
[ $# = 0 ] && { echo 'direct tarvonfail "Unknown" "Tarvon failing printer"'; exit 0; }
cat >/dev/null
echo "ERROR: paper jam in tray 2" >&2
exit 1
SH
# And one that has the print system cancel the job.
cat >"$CUPS/bin/backend/tarvoncancel" <<'SH'
#!/bin/sh
[ $# = 0 ] && { echo 'direct tarvoncancel "Unknown" "Tarvon cancelling printer"'; exit 0; }
cat >/dev/null
exit 5
SH
chmod 0755 "$CUPS/bin" "$CUPS/bin/backend" "$CUPS/bin/backend/tarvonfail" "$CUPS/bin/backend/tarvoncancel"

cupsd -f -c "$CUPS/cupsd.conf" -s "$CUPS/cups-files.conf" &
CUPSD=$!
cleanup() {
    kill "$CUPSD" 2>/dev/null || true
    wait "$CUPSD" 2>/dev/null || true
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    rm -rf "$CUPS" "${WORK:-}"
}
trap cleanup EXIT
export CUPS_SERVER="$CUPS/cups.sock"
wait_for 20 bash -c "lpstat -r | grep -q \"scheduler is running\"" || { cat "$CUPS/log/error_log" >&2 || true; fail "the private CUPS server did not start"; }
lpadmin -p TarvonPDF -E -v cups-pdf:/ -P "$CUPS/queue.ppd"
lpadmin -d TarvonPDF
[ "$(lpstat -d)" = "system default destination: TarvonPDF" ] || fail "the PDF queue is not the default: $(lpstat -d)"

# cups-pdf writes where its own configuration says: find the file it makes.
STAMP="$CUPS/stamp"; touch "$STAMP"; sleep 1

make_folder
APP_LOG="$WORK/messages.txt"; : >"$APP_LOG"
start_app
enter_formula3_example
click 3
wait_for 60 bash -c "[ \$(lpstat -W completed -o TarvonPDF | wc -l) -ge 1 ]" || {
    lpstat -W all -o >&2 || true; tail -20 "$CUPS/log/error_log" >&2 || true
    fail "no completed print job"
}
sleep 1
pdf=$(find /root /var/spool/cups-pdf /home "$CUPS" -name '*.pdf' -newer "$STAMP" -size +1k 2>/dev/null | sort | head -1)
[ -n "$pdf" ] || { tail -20 "$CUPS/log/error_log" >&2; fail "cups-pdf wrote no PDF"; }
pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
[ "$pages" = 1 ] || fail "the printed PDF has $pages pages"
rm -f "$pdf"
# cups-pdf redraws the text as Type 3 glyphs that have no text to extract,
# so the sheet's text is read from the document as the program sent it.
spooled=$(ls "$CUPS"/spool/d*-001 2>/dev/null | head -1)
[ -n "$spooled" ] || fail "the job's document was not kept"
check_sheet_text "$spooled"
# The window said where the sheet went: the printer and the job's number.
grep -q 'ส่งรายการคำนวณไปที่เครื่องพิมพ์ "TarvonPDF" แล้ว (งานพิมพ์หมายเลข [0-9]' "$APP_LOG" ||
    fail "the print did not say where it went: $(cat "$APP_LOG")"
# A whole contract with tarvon-batch --print: one job, one page a sheet.
"$(dirname "$TARVON")/tarvon-batch" "$(dirname "$SAMPLE_CSV")/contract-sample.csv" --table KTABLE.DAT --print \
    >/dev/null || fail "tarvon-batch --print failed"
wait_for 60 bash -c "[ \$(lpstat -W completed -o TarvonPDF | wc -l) -ge 2 ]" || fail "the contract's job did not complete"
spooled=$(ls -t "$CUPS"/spool/d*-001 | head -1)
[ "$(pdfinfo "$spooled" | awk '/^Pages:/ {print $2}')" = 6 ] || fail "the contract's job is not one page a sheet"
# A queue that rejects jobs: the program says so, and no job is made.
cupsreject TarvonPDF
click 3
expect_message "ไม่รับงานพิมพ์ (คิวงานพิมพ์ถูกปิดรับงานไว้)"
cupsaccept TarvonPDF
# A print server that cannot be reached: said before anything is computed.
kill "$CUPSD"; wait "$CUPSD" 2>/dev/null || true
click 3
expect_message "ติดต่อระบบการพิมพ์ไม่ได้"
quit_app
cupsd -f -c "$CUPS/cupsd.conf" -s "$CUPS/cups-files.conf" &
CUPSD=$!
wait_for 20 bash -c "lpstat -r | grep -q \"scheduler is running\"" || fail "the private CUPS server did not start again"
sleep 1
jobs_done=$(lpstat -W completed -o TarvonPDF | wc -l)
[ "$jobs_done" = 2 ] || fail "expected exactly two completed jobs (a sheet, a contract), found $jobs_done"
[ -z "$(lpstat -W not-completed -o TarvonPDF)" ] || fail "a job is still pending"

# A paused queue: said when the sheet is sent, in the window and by
# tarvon-batch --print (exit 3); the job waits and prints once resumed.
cupsdisable TarvonPDF
start_app
enter_formula3_example
click 3
expect_message "หยุดพักอยู่"
status=0; "$(dirname "$TARVON")/tarvon-batch" "$(dirname "$SAMPLE_CSV")/contract-sample.csv" --table KTABLE.DAT \
    --print >/dev/null 2>batch.err || status=$?
[ "$status" = 3 ] || fail "tarvon-batch --print on a paused queue exited $status, not 3"
grep -q 'หยุดพักอยู่' batch.err || fail "tarvon-batch did not say the queue is paused: $(cat batch.err)"
[ "$(wc -l <batch.err)" = 1 ] || fail "tarvon-batch said more than the pause: $(cat batch.err)"
cupsenable TarvonPDF
wait_for 60 bash -c "[ -z \"\$(lpstat -W not-completed -o TarvonPDF)\" ]" || fail "the held jobs did not print once resumed"

# A printer whose backend fails after taking the job: the window says so by
# itself a moment later, with the print system's reason; batch exits 3.
lpadmin -p TarvonFail -E -v tarvonfail:/ -P "$CUPS/queue.ppd"
lpadmin -d TarvonFail
click 3
expect_message "paper jam in tray 2"
grep -q 'TarvonFail' <<<"$(tail -c 2000 "$APP_LOG")" || fail "the failed job's message does not name the printer"
cupsenable TarvonFail
status=0; "$(dirname "$TARVON")/tarvon-batch" "$(dirname "$SAMPLE_CSV")/contract-sample.csv" --table KTABLE.DAT \
    --print --wait 60 >/dev/null 2>batch.err || status=$?
[ "$status" = 3 ] || fail "tarvon-batch --print on a failing printer exited $status, not 3: $(cat batch.err)"
grep -q 'paper jam in tray 2' batch.err || fail "tarvon-batch did not give the reason: $(cat batch.err)"
quit_app

# A job the print system cancels (its backend says so) or aborts (a failing
# backend on a queue whose error policy is to abort the job): tarvon-batch
# --print says so and exits 3.
lpadmin -p TarvonCancel -E -v tarvoncancel:/ -P "$CUPS/queue.ppd"
lpadmin -p TarvonAbort -E -v tarvonfail:/ -P "$CUPS/queue.ppd" -o printer-error-policy=abort-job
for queue in "TarvonCancel ถูกยกเลิก" "TarvonAbort ล้มเลิกงานพิมพ์"; do
    lpadmin -d "${queue%% *}"
    status=0; "$(dirname "$TARVON")/tarvon-batch" "$(dirname "$SAMPLE_CSV")/contract-sample.csv" --table KTABLE.DAT \
        --print --wait 60 >/dev/null 2>batch.err || status=$?
    [ "$status" = 3 ] || fail "tarvon-batch --print on ${queue%% *} exited $status, not 3: $(cat batch.err)"
    grep -q "${queue#* }" batch.err || fail "tarvon-batch on ${queue%% *}: $(cat batch.err)"
done

# A document the server refuses after the job was made (larger than the
# server takes): the server's refusal is said, exit 3, and no job is left
# waiting for it.
lpadmin -d TarvonPDF
{ head -1 "$(dirname "$SAMPLE_CSV")/contract-sample.csv"
  for i in $(seq 60); do tail -n +2 "$(dirname "$SAMPLE_CSV")/contract-sample.csv"; done; } >long.csv
status=0; "$(dirname "$TARVON")/tarvon-batch" long.csv --table KTABLE.DAT --print >/dev/null 2>batch.err || status=$?
[ "$status" = 3 ] || fail "a refused document exited $status, not 3: $(cat batch.err)"
grep -q 'ไม่รับงานพิมพ์ที่เครื่องพิมพ์ "TarvonPDF" (Request Entity Too Large)' batch.err || fail "the refusal: $(cat batch.err)"
[ -z "$(lpstat -W not-completed -o TarvonPDF)" ] || fail "the refused document's job is left: $(lpstat -W not-completed -o TarvonPDF)"

echo "1 passed, 0 failed"
