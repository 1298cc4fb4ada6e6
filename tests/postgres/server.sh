#!/usr/bin/env bash
# A PostgreSQL server of the tests' own (and the benchmark's): made with
# initdb in a folder of mktemp's, run by a user who is not root (the server
# refuses root; CI runs as root, so there it runs as nobody), listening on
# a unix socket in that folder only, with its superuser "tarvon"; members of
# the role tarvon_passwords give a password. What the tests need of it is
# written to STATE:
#   uri=postgresql:///postgres?host=FOLDER&user=tarvon
#   dir=FOLDER
# Usage: server.sh start STATE   make and start one (a test's setup)
#        server.sh stop STATE    stop it and remove it (a test's cleanup)
#        server.sh halt STATE    stop it, keeping its data (a server gone away)
#        server.sh resume STATE  start it again after halt
set -euo pipefail
command=${1:?usage: server.sh start|stop|halt|resume STATE} STATE=${2:?STATE}

bin=$(pg_config --bindir 2>/dev/null || true)
[ -x "$bin/initdb" ] || bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "server.sh: PostgreSQL's server is not installed (package postgresql; 'make test' installs it)" >&2; exit 1; }

# As root the server runs as nobody; as anyone else, as that user.
as_owner() {
    if [ "$(id -u)" = 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}

value() { sed -n "s/^$1=//p" "$STATE"; }

pg_start() {
    as_owner "$bin/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$1' -c fsync=off" start >/dev/null
}

stop_server() {
    [ -f "$STATE" ] || return 0
    local dir; dir=$(value dir)
    if [ -n "$dir" ] && [ -d "$dir/data" ]; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
        rm -rf "$dir"
    fi
    rm -f "$STATE"
}

case $command in
start)
    stop_server  # one a run that was stopped before its cleanup left behind
    dir=$(mktemp -d -t tarvon-pg.XXXXXX)
    [ "$(id -u)" = 0 ] && chown nobody:nogroup "$dir"
    chmod 0755 "$dir"
    # A TMPDIR nobody may enter, or one too deep for a socket's path: /tmp.
    if ! as_owner test -w "$dir" || [ ${#dir} -gt 80 ]; then
        rm -rf "$dir"
        dir=$(mktemp -d -p /tmp tarvon-pg.XXXXXX)
        [ "$(id -u)" = 0 ] && chown nobody:nogroup "$dir"
        chmod 0755 "$dir"
    fi
    if ! as_owner "$bin/initdb" --no-sync -D "$dir/data" -U tarvon --auth=trust -E UTF8 --locale=C.UTF-8 \
            >"$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2; rm -rf "$dir"; exit 1
    fi
    # The members of tarvon_passwords log in with a password, as an
    # office's users do; everyone else is trusted on the private socket.
    sed -i '1i local all +tarvon_passwords scram-sha-256' "$dir/data/pg_hba.conf"
    if ! pg_start "$dir"; then
        cat "$dir/server.log" >&2; rm -rf "$dir"; exit 1
    fi
    printf 'uri=postgresql:///postgres?host=%s&user=tarvon\ndir=%s\n' "$dir" "$dir" >"$STATE"
    ;;
stop)
    stop_server
    ;;
halt)
    as_owner "$bin/pg_ctl" -D "$(value dir)/data" -m fast -w stop >/dev/null
    ;;
resume)
    pg_start "$(value dir)"
    ;;
*)
    echo "server.sh: unknown command $command" >&2; exit 2
    ;;
esac
