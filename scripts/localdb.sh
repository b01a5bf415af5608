#!/usr/bin/env bash
# A private MariaDB server: unix socket only, no TCP port.
#   scripts/localdb.sh start|stop|status
# ORLIX_DB_DIR chooses the data folder (default ~/.local/share/orlix6/mariadb);
# the socket is "mysqld.sock" inside it. ORLIX_DB_PASSWORD sets root's password
# at first start (empty by default, as the throwaway test server uses).
set -euo pipefail

DATADIR="${ORLIX_DB_DIR:-$HOME/.local/share/orlix6/mariadb}"
SOCKET="$DATADIR/mysqld.sock"
PIDFILE="$DATADIR/mysqld.pid"
LOG="$DATADIR/mysqld.log"

mariadbd_bin() {
  for b in /usr/sbin/mariadbd /usr/sbin/mysqld; do [ -x "$b" ] && { echo "$b"; return; }; done
  echo "MariaDB server binary not found; run scripts/setup.sh" >&2; exit 1
}

is_running() {
  [ -S "$SOCKET" ] && MYSQL_PWD="${ORLIX_DB_PASSWORD:-}" mariadb-admin --no-defaults --socket="$SOCKET" -uroot \
     --connect-timeout=2 ping >/dev/null 2>&1
}

start() {
  if is_running; then echo "running: $SOCKET"; return 0; fi
  mkdir -p "$DATADIR"
  chmod 700 "$DATADIR"
  local fresh=0
  if [ ! -d "$DATADIR/mysql" ]; then
    mariadb-install-db --no-defaults --datadir="$DATADIR" --user="$(id -un)" \
      --auth-root-authentication-method=normal --skip-test-db >"$DATADIR/install.log" 2>&1 \
      || { cat "$DATADIR/install.log" >&2; exit 1; }
    fresh=1
  fi
  rm -f "$SOCKET"
  # Temporary tables go into the server's own folder, never a shared /tmp
  # whose clean-ups could pull them from under a running statement.
  mkdir -p "$DATADIR/tmp"
  # Durability settings favour speed only for the throwaway server of the tests.
  local fast=()
  if [ "${ORLIX_DB_FAST:-0}" = 1 ]; then
    fast=(--innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 --sync-binlog=0
          --innodb-flush-method=nosync --innodb-buffer-pool-size=512M --innodb-log-file-size=128M)
  fi
  "$(mariadbd_bin)" --no-defaults --datadir="$DATADIR" --socket="$SOCKET" --pid-file="$PIDFILE" \
    --skip-networking --user="$(id -un)" --log-error="$LOG" --tmpdir="$DATADIR/tmp" \
    --character-set-server=utf8mb3 --collation-server=utf8mb3_polish_ci \
    --max-connections=500 --skip-log-bin "${fast[@]}" >/dev/null 2>&1 &
  for _ in $(seq 1 300); do
    # ping answers 0 once the server is up, even when the password is refused
    if [ -S "$SOCKET" ] && mariadb-admin --no-defaults --socket="$SOCKET" -uroot ping >/dev/null 2>&1; then
      break
    fi
    is_running && break
    sleep 0.1
  done
  if ! [ -S "$SOCKET" ]; then echo "MariaDB did not start; see $LOG" >&2; tail -20 "$LOG" >&2 || true; exit 1; fi
  if [ "$fresh" = 1 ] && [ -n "${ORLIX_DB_PASSWORD:-}" ]; then
    printf "ALTER USER 'root'@'localhost' IDENTIFIED BY '%s'; FLUSH PRIVILEGES;\n" "$ORLIX_DB_PASSWORD" |
      mariadb --no-defaults --socket="$SOCKET" -uroot
  fi
  echo "started: $SOCKET"
}

stop() {
  if [ -f "$PIDFILE" ]; then
    local pid; pid=$(cat "$PIDFILE")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$PIDFILE"
  fi
  echo "stopped"
}

case "${1:-status}" in
  start) start ;;
  stop) stop ;;
  status) if is_running; then echo "running: $SOCKET"; else echo "stopped"; exit 3; fi ;;
  socket) echo "$SOCKET" ;;
  *) echo "usage: $0 start|stop|status|socket" >&2; exit 2 ;;
esac
