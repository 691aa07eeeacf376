#!/usr/bin/env bash
# Starts the local Firebird 3 server without systemd (the way its service file
# does) and makes sure SYSDBA has the default password the program assumes.
# Safe to run again: a running server is left alone.
set -euo pipefail

SYSDBA_DEFAULT_PASSWORD="quillfern"
PORT=3050

server_listening() {
    (exec 3<>/dev/tcp/127.0.0.1/$PORT) 2>/dev/null
}

# The package binds to "localhost", which some machines resolve to ::1 only; the
# program and its tests connect to 127.0.0.1.
bind_to_ipv4_loopback() {
    local conf=/etc/firebird/3.0/firebird.conf
    grep -q '^RemoteBindAddress = 127\.0\.0\.1$' "$conf" && return 1
    if grep -q '^[[:space:]]*RemoteBindAddress' "$conf"; then
        sed -i 's/^[[:space:]]*RemoteBindAddress.*/RemoteBindAddress = 127.0.0.1/' "$conf"
    else
        echo 'RemoteBindAddress = 127.0.0.1' >>"$conf"
    fi
    return 0
}

stop_server() {
    pkill -x fbguard || true
    pkill -x firebird || true
    for _ in $(seq 1 100); do
        pgrep -x fbguard >/dev/null || pgrep -x firebird >/dev/null || return 0
        sleep 0.2
    done
    echo "firebird-up: the old server does not stop" >&2
    exit 1
}

start_server() {
    install -d -o firebird -g firebird -m 0755 /run/firebird3.0
    if bind_to_ipv4_loopback && pgrep -x fbguard >/dev/null; then
        echo "firebird-up: restarting the server to listen on 127.0.0.1"
        stop_server
    fi
    if ! pgrep -x fbguard >/dev/null && ! server_listening; then
        echo "firebird-up: starting fbguard"
        runuser -u firebird -- /usr/sbin/fbguard -daemon -forever
    fi
    for _ in $(seq 1 100); do
        server_listening && return 0
        sleep 0.2
    done
    echo "firebird-up: the server did not start listening on port $PORT" >&2
    exit 1
}

# isql needs a database to attach to; a scratch one in a folder the server can write.
sysdba_works() {
    local password=$1 scratch
    scratch=$(mktemp -d /tmp/fb-up.XXXXXX)
    chmod 0777 "$scratch"
    local ok=1
    if echo "create database '127.0.0.1:$scratch/probe.fdb' user 'SYSDBA' password '$password'; drop database;" \
        | isql-fb -q >/dev/null 2>&1; then
        ok=0
    fi
    rm -rf "$scratch"
    return $ok
}

set_default_password() {
    sysdba_works "$SYSDBA_DEFAULT_PASSWORD" && return 0
    local packaged=""
    if [ -r /etc/firebird/3.0/SYSDBA.password ]; then
        packaged=$(sed -n 's/^ISC_PASSWORD="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' /etc/firebird/3.0/SYSDBA.password)
    fi
    if [ -z "$packaged" ] || ! sysdba_works "$packaged"; then
        echo "firebird-up: cannot sign in as SYSDBA with the packaged password" >&2
        exit 1
    fi
    echo "firebird-up: setting SYSDBA's password to the default"
    local scratch
    scratch=$(mktemp -d /tmp/fb-up.XXXXXX)
    chmod 0777 "$scratch"
    isql-fb -q <<SQL
create database '127.0.0.1:$scratch/pw.fdb' user 'SYSDBA' password '$packaged';
alter user SYSDBA password '$SYSDBA_DEFAULT_PASSWORD';
commit;
drop database;
SQL
    rm -rf "$scratch"
    sed -i "s/^ISC_PASSWORD=.*/ISC_PASSWORD=\"$SYSDBA_DEFAULT_PASSWORD\"/" /etc/firebird/3.0/SYSDBA.password
    sysdba_works "$SYSDBA_DEFAULT_PASSWORD"
}

start_server
set_default_password
echo "firebird-up: server ready on 127.0.0.1:$PORT"
