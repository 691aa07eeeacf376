#!/usr/bin/env bash
# Makes sure a Firebird 3 server that accepts SYSDBA with the program's default
# password answers on 127.0.0.1, for the tests, the benchmarks and the demo.
#
#   bash scripts/firebird-up.sh          get a server ready (messages on stderr)
#   bash scripts/firebird-up.sh --env    the same, then print on stdout the shell
#                                        lines the clients need (for eval)
#   bash scripts/firebird-up.sh --stop   stop the servers this script started
#
# A server that already answers is used as it is when it accepts the password,
# and never changed, stopped or restarted by this script. Otherwise:
#   - VESTIBAR_ALLOW_SYSTEM_CHANGES=1 (CI sets it) lets the script start the
#     system's packaged server, make it listen on 127.0.0.1 (firebird.conf) and
#     give SYSDBA the default password (security database, SYSDBA.password);
#   - without it the script runs a private server of its own on port 3051, under
#     /var/tmp, with its own security database: no system file is touched;
#   - VESTIBAR_FIREBIRD_PORT=<port> asks for such a private server on that port.
# Only servers recorded in this script's pid files are ever stopped.
set -euo pipefail

PASSWORD="quillfern"
SYSTEM_PORT=3050
DEFAULT_PRIVATE_PORT=3051
SYSTEM_CONF=/etc/firebird/3.0/firebird.conf
SYSTEM_PASSWORD_FILE=/etc/firebird/3.0/SYSDBA.password
SYSTEM_ROOT=/usr/lib/x86_64-linux-gnu/firebird/3.0
SYSTEM_RUN=/run/firebird3.0
SYSTEM_PIDFILE=$SYSTEM_RUN/vestibar-started.pid

say() { echo "firebird-up: $*" >&2; }
die() {
    say "$*"
    exit 1
}

allowed_to_change_system() { [ "${VESTIBAR_ALLOW_SYSTEM_CHANGES:-}" = "1" ]; }

# Per user and port, so that nobody else's files are ever taken for ours.
private_home() { echo "/var/tmp/vestibar-firebird-$(id -u)-$1"; }

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

gone() {
    # A zombie has stopped; only its parent can reap it.
    [ ! -e "/proc/$1" ] || [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" = "Z" ]
}

# A Firebird server that is not one of our private ones runs, whether or not it
# answers on 127.0.0.1 (the package binds to "localhost", often ::1 only). Finding
# it by name is only for leaving it alone.
foreign_server_runs() {
    (exec 3<>"/dev/tcp/::1/$SYSTEM_PORT") 2>/dev/null && return 0
    local pid
    for pid in $(pgrep -x 'fbguard|firebird' || true); do
        gone "$pid" && continue
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -q '^FIREBIRD=/var/tmp/vestibar-firebird-' ||
            return 0
    done
    return 1
}

# 0: accepts SYSDBA/password; 1: a Firebird server refuses it; 2: no Firebird answers.
probe() {
    local port=$1 password=$2 out
    if out=$(timeout 30 fbsvcmgr "127.0.0.1/$port:service_mgr" user SYSDBA password "$password" \
        info_server_version 2>&1); then
        return 0
    fi
    case "$out" in
    *"network request"* | *"connection"*) return 2 ;;
    *) return 1 ;;
    esac
}

wait_until_listening() {
    local port=$1
    for _ in $(seq 1 100); do
        listening "$port" && return 0
        sleep 0.2
    done
    die "the server did not start listening on 127.0.0.1:$port"
}

# A pid recorded by us that still runs the given program; guards against reuse.
recorded_pid_runs() {
    local pid=$1 program=$2
    [ -n "$pid" ] && [ -e "/proc/$pid" ] && [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$program" ]
}

# Only ever called with a pid from our own records, checked by recorded_pid_runs.
stop_pid() {
    local pid=$1
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 1 150); do
        gone "$pid" && return 0
        sleep 0.1
    done
    # Now and then the server does not finish its shutdown; its files are safe
    # (forced writes), so end it.
    say "process $pid did not stop within 15 seconds; killing it"
    kill -KILL "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
        gone "$pid" && return 0
        sleep 0.1
    done
    say "process $pid does not stop"
    return 1
}

# --- the system's packaged server (only with the opt-in) ---------------------------

bind_system_server_to_ipv4_loopback() {
    # The package binds to "localhost", which some machines resolve to ::1 only.
    grep -q '^RemoteBindAddress = 127\.0\.0\.1$' "$SYSTEM_CONF" && return 0
    say "setting RemoteBindAddress = 127.0.0.1 in $SYSTEM_CONF"
    if grep -q '^[[:space:]]*RemoteBindAddress' "$SYSTEM_CONF"; then
        sed -i 's/^[[:space:]]*RemoteBindAddress.*/RemoteBindAddress = 127.0.0.1/' "$SYSTEM_CONF"
    else
        echo 'RemoteBindAddress = 127.0.0.1' >>"$SYSTEM_CONF"
    fi
}

start_system_server() {
    bind_system_server_to_ipv4_loopback
    install -d -o firebird -g firebird -m 0755 "$SYSTEM_RUN"
    say "starting the system's Firebird server"
    runuser -u firebird -- /usr/sbin/fbguard -daemon -forever -pidfile "$SYSTEM_PIDFILE"
    wait_until_listening "$SYSTEM_PORT"
}

set_system_password() {
    local packaged=""
    if [ -r "$SYSTEM_PASSWORD_FILE" ]; then
        packaged=$(sed -n 's/^ISC_PASSWORD="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$SYSTEM_PASSWORD_FILE")
    fi
    if [ -z "$packaged" ] || ! probe "$SYSTEM_PORT" "$packaged"; then
        die "cannot sign in as SYSDBA with the packaged password of $SYSTEM_PASSWORD_FILE"
    fi
    say "setting SYSDBA's password to the program's default"
    local scratch
    scratch=$(mktemp -d /tmp/fb-up.XXXXXX)
    chmod 0777 "$scratch"
    isql-fb -q <<SQL
create database '127.0.0.1/$SYSTEM_PORT:$scratch/pw.fdb' user 'SYSDBA' password '$packaged';
alter user SYSDBA password '$PASSWORD';
commit;
drop database;
SQL
    rm -rf "$scratch"
    sed -i "s/^ISC_PASSWORD=.*/ISC_PASSWORD=\"$PASSWORD\"/" "$SYSTEM_PASSWORD_FILE"
    probe "$SYSTEM_PORT" "$PASSWORD" || die "SYSDBA still does not accept the default password"
}

# The guard was started by us when the pid it wrote belongs to a running server
# whose parent is a guard.
system_guard_we_started() {
    [ -r "$SYSTEM_PIDFILE" ] || return 1
    local server guard
    server=$(cat "$SYSTEM_PIDFILE")
    recorded_pid_runs "$server" /usr/sbin/firebird || return 1
    guard=$(awk '{print $4}' "/proc/$server/stat")
    recorded_pid_runs "$guard" /usr/sbin/fbguard || return 1
    echo "$guard $server"
}

# --- a private server of our own ---------------------------------------------------

server_user() {
    if [ "$(id -u)" = 0 ] && id firebird >/dev/null 2>&1; then echo firebird; else id -un; fi
}

# The server refuses a character set module reached through a link, so the
# private root holds a copy, renewed whenever the package's one changes.
copy_character_sets() {
    local home=$1
    cmp -s "$SYSTEM_ROOT/intl/libfbintl.so" "$home/intl/libfbintl.so" && return 0
    install -m 0644 "$SYSTEM_ROOT/intl/libfbintl.so" "$home/intl/libfbintl.so"
}

# A root of our own for the server and its clients: the configuration says the
# port and the security database; the rest links to the installed files.
make_private_home() {
    local port=$1 home owner
    home=$(private_home "$port")
    owner=$(server_user)
    if [ -e "$home" ] || [ -L "$home" ]; then
        # Its configuration is read by every client that uses it: only a folder of
        # our own that nobody else may write will do.
        if [ -L "$home" ] || [ "$(stat -c %u "$home")" != "$(id -u)" ] || [ -n "$(find "$home" -maxdepth 0 -perm /022)" ]; then
            die "$home is not a folder of ours that only we can write; remove it or choose another VESTIBAR_FIREBIRD_PORT"
        fi
        [ -f "$home/security3.fdb" ] && return 0
    fi
    say "making a private server root in $home"
    rm -rf "$home"
    install -d -m 0755 "$home"
    install -d -m 0770 "$home/lock" "$home/tmp"
    for f in firebird.msg plugins UDF lib plugins.conf fbtrace.conf; do
        ln -s "$SYSTEM_ROOT/$f" "$home/$f"
    done
    install -d -m 0755 "$home/intl"
    ln -s "$SYSTEM_ROOT/intl/fbintl.conf" "$home/intl/fbintl.conf"
    copy_character_sets "$home"
    cat >"$home/firebird.conf" <<CONF
# Private server of vestibar's scripts; clients that set FIREBIRD=$home use it.
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $home/security3.fdb
CONF
    echo "security.db = $home/security3.fdb" >"$home/databases.conf"
    chmod 0644 "$home/firebird.conf" "$home/databases.conf"
    # Made without a server: embedded access, as the owner of the files.
    FIREBIRD=$home FIREBIRD_LOCK=$home/lock FIREBIRD_TMP=$home/tmp isql-fb -q -user SYSDBA <<SQL
create database '$home/security3.fdb';
create user SYSDBA password '$PASSWORD' using plugin Srp;
commit;
SQL
    chown -R "$owner:" "$home/lock" "$home/tmp" "$home/security3.fdb"
    chmod 0660 "$home/security3.fdb"
}

private_server_pid() {
    local home pid
    home=$(private_home "$1")
    pid=$(cat "$home/server.pid" 2>/dev/null || true)
    recorded_pid_runs "$pid" /usr/sbin/firebird && echo "$pid"
}

start_private_server() {
    local port=$1 home user
    home=$(private_home "$port")
    make_private_home "$port"
    copy_character_sets "$home"
    user=$(server_user)
    say "starting a private Firebird server on 127.0.0.1:$port (root $home, runs as $user)"
    local run=()
    [ "$user" != "$(id -un)" ] && run=(setpriv --reuid="$user" --regid="$user" --init-groups --)
    "${run[@]}" env FIREBIRD="$home" FIREBIRD_LOCK="$home/lock" FIREBIRD_TMP="$home/tmp" \
        setsid /usr/sbin/firebird >>"$home/server.log" 2>&1 </dev/null &
    echo $! >"$home/server.pid"
    wait_until_listening "$port"
}

private_server_ready() {
    local port=$1 status=0
    if listening "$port"; then
        probe "$port" "$PASSWORD" || status=$?
        case $status in
        0) say "using the server that answers on 127.0.0.1:$port" ;;
        1) die "the server on 127.0.0.1:$port refuses SYSDBA/$PASSWORD; it is left as it is. Choose another port with VESTIBAR_FIREBIRD_PORT." ;;
        *) die "something that is not a Firebird server listens on 127.0.0.1:$port; choose another port with VESTIBAR_FIREBIRD_PORT." ;;
        esac
    else
        start_private_server "$port"
        probe "$port" "$PASSWORD" || die "the private server on port $port does not accept SYSDBA"
    fi
}

# --- choosing ---------------------------------------------------------------------

refused_by_running_server() {
    local port=$1
    die "a Firebird server already answers on 127.0.0.1:$port but refuses SYSDBA with the
  password the program and its tests use (\"$PASSWORD\"). It is left exactly as it is.
  To go on, either
    - let this script run a private server of its own on another port (no system
      file is changed; the tests, the benchmarks and the demo then use it):
          VESTIBAR_FIREBIRD_PORT=$DEFAULT_PRIVATE_PORT bash scripts/test.sh    (or scripts/run.sh)
    - or, if that server is yours to change, give its SYSDBA the password \"$PASSWORD\"."
}

# Prints the port of the server that is ready.
ready_server_port() {
    if [ -n "${VESTIBAR_FIREBIRD_PORT:-}" ] && [ "$VESTIBAR_FIREBIRD_PORT" != "$SYSTEM_PORT" ]; then
        private_server_ready "$VESTIBAR_FIREBIRD_PORT"
        echo "$VESTIBAR_FIREBIRD_PORT"
        return
    fi
    local status=0
    if listening "$SYSTEM_PORT"; then
        probe "$SYSTEM_PORT" "$PASSWORD" || status=$?
        if [ "$status" = 0 ]; then
            say "using the server that already answers on 127.0.0.1:$SYSTEM_PORT"
        elif [ "$status" = 1 ] && allowed_to_change_system && system_guard_we_started >/dev/null; then
            set_system_password # ours, started by an earlier run that did not get this far
        elif [ "$status" = 1 ]; then
            refused_by_running_server "$SYSTEM_PORT"
        else
            die "something that is not a Firebird server listens on 127.0.0.1:$SYSTEM_PORT"
        fi
        echo "$SYSTEM_PORT"
    elif foreign_server_runs; then
        say "a Firebird server runs here but does not answer on 127.0.0.1:$SYSTEM_PORT; it is left as it is"
        private_server_ready "$DEFAULT_PRIVATE_PORT"
        echo "$DEFAULT_PRIVATE_PORT"
    elif allowed_to_change_system; then
        start_system_server
        probe "$SYSTEM_PORT" "$PASSWORD" || set_system_password
        echo "$SYSTEM_PORT"
    else
        say "no Firebird server answers on 127.0.0.1:$SYSTEM_PORT; the system's server is left alone"
        say "(VESTIBAR_ALLOW_SYSTEM_CHANGES=1 would start and set it up instead)"
        private_server_ready "$DEFAULT_PRIVATE_PORT"
        echo "$DEFAULT_PRIVATE_PORT"
    fi
}

print_client_env() {
    local port=$1
    if [ "$port" = "$SYSTEM_PORT" ]; then
        echo "unset FIREBIRD"
        echo "export VESTIBAR_FIREBIRD_HOST=127.0.0.1"
    else
        # The client reads the port from the private root's firebird.conf, so
        # "127.0.0.1:path" reaches the private server.
        echo "export FIREBIRD=$(private_home "$port")"
        echo "export VESTIBAR_FIREBIRD_HOST=127.0.0.1/$port"
    fi
}

stop_our_servers() {
    local any=0 pids home pid
    if pids=$(system_guard_we_started); then
        say "stopping the system's server started by this script (pids $pids)"
        for pid in $pids; do stop_pid "$pid"; done
        rm -f "$SYSTEM_PIDFILE"
        any=1
    fi
    for home in "/var/tmp/vestibar-firebird-$(id -u)-"*; do
        if [ ! -d "$home" ] || [ -L "$home" ]; then
            continue
        fi
        if pid=$(private_server_pid "${home##*-}"); then
            say "stopping the private server of $home (pid $pid)"
            stop_pid "$pid"
            any=1
        fi
        rm -f "$home/server.pid"
    done
    [ "$any" = 1 ] || say "no server started by this script is running"
}

case "${1:-}" in
--stop)
    stop_our_servers
    ;;
--env)
    port=$(ready_server_port)
    say "server ready on 127.0.0.1:$port"
    print_client_env "$port"
    ;;
"")
    port=$(ready_server_port)
    say "server ready on 127.0.0.1:$port"
    if [ "$port" != "$SYSTEM_PORT" ]; then
        say "clients reach it with FIREBIRD=$(private_home "$port") or the host 127.0.0.1/$port"
    fi
    ;;
*)
    die "unknown argument: $1 (use --env or --stop)"
    ;;
esac
