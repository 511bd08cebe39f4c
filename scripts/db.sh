# Private MariaDB servers for the program and the tests.  Sourced by scripts/run
# and scripts/test.
#   db_start DATADIR PORT   initialises DATADIR when new, starts the server on
#                           127.0.0.1:PORT and makes sure the account
#                           ADMINISTRADOR / BRAVELUX exists
#   db_stop DATADIR         stops the server started on DATADIR
#   db_free_port            prints a free TCP port on loopback

db_free_port() {
    /usr/bin/python3 - <<'PY'
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()
PY
}

db_running() {
    local dir=$1
    [ -f "$dir/mariadb.pid" ] && kill -0 "$(cat "$dir/mariadb.pid")" 2>/dev/null
}

db_start() {
    local dir=$1 port=$2
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    local userarg=()
    [ "$(id -u)" -eq 0 ] && userarg=(--user=root)
    if [ ! -d "$dir/data/mysql" ]; then
        mariadb-install-db --no-defaults --datadir="$dir/data" "${userarg[@]}" \
            --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1 || {
            cat "$dir/install.log" >&2
            return 1
        }
    fi
    if db_running "$dir"; then
        return 0
    fi
    # Loopback only; the socket lives in the data folder so nothing system-wide
    # is touched.
    mariadbd --no-defaults --datadir="$dir/data" "${userarg[@]}" \
        --port="$port" --bind-address=127.0.0.1 --socket="$dir/mariadb.sock" \
        --pid-file="$dir/mariadb.pid" --log-error="$dir/error.log" \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
        --innodb-buffer-pool-size=64M --skip-name-resolve >/dev/null 2>&1 &
    local i
    for i in $(seq 1 120); do
        if mariadb-admin --no-defaults --socket="$dir/mariadb.sock" -uroot ping >/dev/null 2>&1; then
            break
        fi
        sleep 0.5
    done
    if ! mariadb-admin --no-defaults --socket="$dir/mariadb.sock" -uroot ping >/dev/null 2>&1; then
        echo "O servidor MariaDB não iniciou; veja $dir/error.log" >&2
        tail -20 "$dir/error.log" >&2 || true
        return 1
    fi
    mariadb --no-defaults --socket="$dir/mariadb.sock" -uroot <<'SQL'
CREATE USER IF NOT EXISTS 'ADMINISTRADOR'@'%' IDENTIFIED BY 'BRAVELUX';
CREATE USER IF NOT EXISTS 'ADMINISTRADOR'@'localhost' IDENTIFIED BY 'BRAVELUX';
GRANT ALL PRIVILEGES ON *.* TO 'ADMINISTRADOR'@'%' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO 'ADMINISTRADOR'@'localhost' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL
}

db_stop() {
    local dir=$1
    if db_running "$dir"; then
        local pid
        pid=$(cat "$dir/mariadb.pid")
        kill "$pid" 2>/dev/null || true
        local i
        for i in $(seq 1 60); do
            kill -0 "$pid" 2>/dev/null || return 0
            sleep 0.5
        done
        kill -9 "$pid" 2>/dev/null || true
    fi
}
