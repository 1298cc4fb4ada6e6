# What a screen reader hears of the running program, for the scripts that
# check it: starts the session's accessibility bus (AT-SPI, in the session
# the script runs in: dbus-run-session), with Qt's windows on it, stopped
# on exit with a listener of the script's own (LISTENER), and offers
# panel_says. Source it after drive.sh, with HERE set to this folder (where
# panel.py is).
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
BUS=$!
trap 'kill "$BUS" ${LISTENER:-} 2>/dev/null || true' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# panel_says TEXT: the screen reader finds TEXT among what the program shows.
panel_says() {
    wait_for 10 bash -c '"$0" | grep -qF -- "$1"' "$HERE/panel.py" "$1" ||
        fail "the program does not say '$1'; it reads:
$("$HERE/panel.py")"
}
