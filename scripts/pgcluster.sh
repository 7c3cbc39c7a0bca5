# Private PostgreSQL clusters for the demo and the tests, sourced by the
# scripts. A cluster listens on 127.0.0.1 only, on a port no other server
# uses, with its socket in its own folder; it never touches a running server.

pg_bin() { ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1; }

# Runs a command as the cluster's owner: postgres when we are root.
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
    local p=${1:-25432}
    while (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; do p=$((p + 1)); done
    echo "$p"
}

# cluster_start DIR PORT SSL(on|off) PASSWORD
cluster_start() {
    local dir=$1 port=$2 ssl=$3 password=$4 bin
    bin=$(pg_bin)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    chmod 700 "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1
    if [ "$ssl" = on ]; then
        openssl req -x509 -newkey rsa:2048 -nodes -days 3 -subj "/CN=127.0.0.1" \
            -keyout "$dir/data/server.key" -out "$dir/data/server.crt" >/dev/null 2>&1
        chmod 600 "$dir/data/server.key"
        [ "$(id -u)" -eq 0 ] && chown postgres: "$dir/data/server.key" "$dir/data/server.crt"
    fi
    cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$dir'
ssl = $ssl
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 100
CONF
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null
    as_owner "$bin/psql" -h "$dir" -p "$port" -U postgres -d postgres -qAt -v ON_ERROR_STOP=1 \
        -c "create role tresk login createdb password '$password'" >/dev/null
}

cluster_stop() {
    local dir=$1
    [ -d "$dir/data" ] && as_owner "$(pg_bin)/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
}

# cluster_psql DIR PORT DB args...: psql as the superuser over the socket.
cluster_psql() {
    local dir=$1 port=$2 db=$3
    shift 3
    as_owner "$(pg_bin)/psql" -h "$dir" -p "$port" -U postgres -d "$db" -qAt -v ON_ERROR_STOP=1 "$@"
}
