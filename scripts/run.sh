#!/usr/bin/env bash
# Installs what is missing, builds, makes sure the data source "ORLIX4SQL"
# exists (starting a private local MariaDB for it when it does not), and
# launches the program. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

scripts/setup.sh
ORLIX_BUILD_QUIET=1 scripts/build.sh

DSN=ORLIX4SQL
DBDIR="${ORLIX_DB_DIR:-$HOME/.local/share/orlix6/mariadb}"
SOCKET="$DBDIR/mysqld.sock"
PASSWORD=qalmunex   # the default administrator password of a local installation
ODBC_FILE="${ODBCINI:-$HOME/.odbc.ini}"

dsn_exists() { [ -f "$ODBC_FILE" ] && grep -qi "^\[$DSN\]" "$ODBC_FILE"; }
dsn_socket() {
  [ -f "$ODBC_FILE" ] || return 0
  awk -v s="[$DSN]" 'BEGIN{IGNORECASE=1} /^\[/{sec=($0==s)} sec && /^[ \t]*socket[ \t]*=/{sub(/^[^=]*=[ \t]*/,""); print; exit}' "$ODBC_FILE"
}

if ! dsn_exists; then
  echo "No data source $DSN: starting a private MariaDB server in $DBDIR"
  ORLIX_DB_DIR="$DBDIR" ORLIX_DB_PASSWORD="$PASSWORD" scripts/localdb.sh start
  MYSQL_PWD="$PASSWORD" mariadb --no-defaults --socket="$SOCKET" -uroot \
    -e "CREATE DATABASE IF NOT EXISTS $DSN CHARACTER SET utf8 COLLATE utf8_polish_ci"
  driver=""
  odbcinst -q -d -n "MariaDB Unicode" >/dev/null 2>&1 && driver="Driver=MariaDB Unicode"
  mkdir -p "$(dirname "$ODBC_FILE")"
  {
    echo "[$DSN]"
    [ -n "$driver" ] && echo "$driver"
    echo "Description=$DSN"
    echo "Server=localhost"
    echo "Socket=$SOCKET"
    echo "Database=$DSN"
    echo "User=root"
    echo "Password=$PASSWORD"
    echo
  } >>"$ODBC_FILE"
  chmod 600 "$ODBC_FILE"
  echo "Data source $DSN written to $ODBC_FILE"
elif [ "$(dsn_socket)" = "$SOCKET" ]; then
  # Our own private server: start it again when it is not running.
  ORLIX_DB_DIR="$DBDIR" ORLIX_DB_PASSWORD="$PASSWORD" scripts/localdb.sh start >/dev/null
fi

exec "$ROOT/${ORLIX_BUILD_DIR:-build}/bin/Orlix6KSEF" "$@"
