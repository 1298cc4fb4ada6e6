#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack, its desktop entry,
# metainfo and the package itself checked by Debian's own tools, then
# unpacked into a temporary root and started as the menu starts it, with an
# empty XDG_DATA_HOME: the window opens with Qt's texts in Thai, the sample
# table is seeded and its months are found; a table changed in between is
# kept at the next start.
# The manual pages in English and in Thai, the Thai ones shown under a
# Thai locale.
# Usage: package.sh BUILD_DIR VERSION
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"; fi
BUILD=$(realpath "$1") VERSION=$2
. "$(dirname "$0")/drive.sh"
WORK=$(mktemp -d)
cleanup() { [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true; rm -rf "$WORK"; }
trap cleanup EXIT

# Each test run packs into its own folder, so it never races another.
(cd "$BUILD" && cpack -B "$WORK/pack" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
DEB="$WORK/pack/tarvon_${VERSION}_amd64.deb"
[ -f "$DEB" ] || fail "no $DEB: $(ls "$WORK/pack")"
dpkg-deb -f "$DEB" Depends | grep -q 'fonts-thai-tlwg' || fail "the package does not depend on the Thai fonts"
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
for lib in libcups2 libpangocairo-1.0-0 libcairo2 libsqlite3-0 libpq5 libpoppler-cpp0v5; do
    grep -q "$lib" <<<"$DEPENDS" || fail "the package does not depend on $lib (loaded when printing, opening a register or verifying)"
done
CONTENTS=$(dpkg-deb -c "$DEB")  # read whole: grep -q would cut dpkg-deb off under pipefail
for f in guide.md window.png sheet.png register.png installment-form.png examples/contract-sample.csv examples/contract-template.csv; do
    grep -q "usr/share/doc/tarvon/$f" <<<"$CONTENTS" || fail "the package lacks /usr/share/doc/tarvon/$f"
done
dpkg-deb -f "$DEB" Depends | grep -q 'libqt6widgets6' || fail "no library dependencies were computed"
grep -q "usr/share/tarvon/translations/qtbase_th.qm" <<<"$CONTENTS" || fail "the package lacks the Thai of Qt's own texts"

ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT"
ID=org.tarvon.Tarvon
desktop-file-validate "$ROOT/usr/share/applications/$ID.desktop" || fail "desktop-file-validate"
grep -qx 'Name\[th\]=คำนวณค่า K' "$ROOT/usr/share/applications/$ID.desktop" || fail "no Thai name in the menu entry"
appstreamcli validate --no-net "$ROOT/usr/share/metainfo/$ID.metainfo.xml" >"$WORK/as.log" 2>&1 \
    || { cat "$WORK/as.log" >&2; fail "appstreamcli validate"; }
[ -f "$ROOT/usr/share/icons/hicolor/scalable/apps/$ID.svg" ] || fail "no icon"
lintian --no-tag-display-limit "$DEB" >"$WORK/lintian.log" 2>&1 || true
if grep -q '^E: ' "$WORK/lintian.log"; then cat "$WORK/lintian.log" >&2; fail "lintian reports errors"; fi
for cmd in tarvon tarvon-table tarvon-batch; do
    [ "$("$ROOT/usr/bin/$cmd" --version)" = "$cmd $VERSION" ] || fail "$cmd --version"
    [ -z "$(man -l -Tutf8 "$ROOT/usr/share/man/man1/$cmd.1.gz" 2>&1 >/dev/null)" ] || fail "the manual page of $cmd has errors"
    grep -q "usr/share/man/th/man1/$cmd.1.gz" <<<"$CONTENTS" || fail "the package lacks the Thai manual page of $cmd"
    [ -z "$(man -l -Tutf8 "$ROOT/usr/share/man/th/man1/$cmd.1.gz" 2>&1 >/dev/null)" ] || fail "the Thai manual page of $cmd has errors"
done
# Under a Thai locale (one of the test's own) `man` finds the Thai pages,
# and shows no Thai in bold or underline.
localedef -i th_TH -f UTF-8 "$WORK/th_TH.UTF-8" 2>/dev/null ||
    [ -e "$WORK/th_TH.UTF-8/LC_CTYPE" ] || fail "cannot make the th_TH.UTF-8 locale"
for cmd in tarvon tarvon-table tarvon-batch; do
    page=$(LOCPATH=$WORK LANG=th_TH.UTF-8 MANPATH="$ROOT/usr/share/man" MAN_KEEP_FORMATTING=1 MANPAGER=cat \
        MANWIDTH=80 man "$cmd" 2>"$WORK/man.err") || fail "man $cmd under th_TH: $(cat "$WORK/man.err")"
    grep -q "^ชื่อ" <<<"$page" || fail "man $cmd under th_TH is not the Thai page: $(head -5 <<<"$page")"
    formatted=$(python3 "$(dirname "$0")/formatted.py" <<<"$page")
    [ -z "$formatted" ] || fail "the installed Thai page of $cmd sets Thai in bold or underline: $formatted"
done

# Printing's libraries come with the first sheet, the databases' with the
# first register, not at start-up; the unpacked programs find them all the
# same.
NEEDED=$(readelf -d "$ROOT/usr/bin/tarvon" "$ROOT/usr/bin/tarvon-batch")
for lib in libcups libpango libcairo libsqlite libpq libpoppler; do
    ! grep -q "NEEDED.*$lib" <<<"$NEEDED" || fail "a program loads $lib when it starts"
done
"$ROOT/usr/bin/tarvon-batch" "$ROOT/usr/share/doc/tarvon/examples/contract-sample.csv" \
    --table "$ROOT/usr/share/tarvon/KTABLE.DAT" --pdf "$WORK/sample.pdf" >/dev/null \
    || fail "the unpacked tarvon-batch could not write a PDF"
grep -q "ค่า K" <<<"$(pdftotext "$WORK/sample.pdf" -)" || fail "the unpacked tarvon-batch's PDF has no sheet"
# Its PDF reader is a module of its own, found from the unpacked program.
"$ROOT/usr/bin/tarvon-batch" --verify "$WORK/sample.pdf" --table "$ROOT/usr/share/tarvon/KTABLE.DAT" \
    >"$WORK/verify.txt" 2>&1 || fail "the unpacked tarvon-batch could not verify its own PDF: $(cat "$WORK/verify.txt")"

# Started as the menu starts it, with nothing in the user's data folder.
export XDG_DATA_HOME="$WORK/data"
APP_LOG="$WORK/messages.txt"; : >"$APP_LOG"
TARVON="$ROOT/usr/bin/tarvon"
cd "$WORK"
start_app --user-folder
# Qt's own texts in Thai: the unpacked program reads its own catalogue.
grep -qF "$ROOT/usr/share/tarvon/translations/qtbase_th.qm" "/proc/$APP_PID/maps" ||
    fail "the unpacked tarvon did not load its Thai of Qt's texts: $(cat "$APP_LOG")"
TABLE="$XDG_DATA_HOME/tarvon/KTABLE.DAT"
cmp -s "$TABLE" "$ROOT/usr/share/tarvon/KTABLE.DAT" || fail "the user's table was not seeded with the sample"
click 0; answer 15; answer 1; answer 2548
sleep 1
[ -z "$(visible_box)" ] && ! grep -q "^tarvon:" "$APP_LOG" || fail "a month of the sample table was not found: $(cat "$APP_LOG")"
click 0; answer 15; answer 9; answer 2541
expect_message "ไม่พบข้อมูลดัชนีราคา"
quit_app

# A table changed in between is the user's: the next start keeps it.
printf '%6s%6s%78s' 2541 9 '' >>"$TABLE"
cp "$TABLE" "$WORK/changed.dat"
start_app --user-folder
click 0; answer 15; answer 9; answer 2541
sleep 1
[ -z "$(visible_box)" ] || fail "the changed table's own month was not found: $(cat "$APP_LOG")"
quit_app
cmp -s "$TABLE" "$WORK/changed.dat" || fail "the second start replaced the user's table"
echo "1 passed, 0 failed"
