#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway MariaDB server and runs
# every test through ctest. Exit status = the tests' status.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

scripts/setup.sh
# The format check of every tracked C++ file; on once the tree is formatted.
if [ "${ORLIX_FORMAT_CHECK:-0}" = 1 ]; then
  scripts/check-format.sh
fi
scripts/build.sh

# The throwaway server lives in memory when /dev/shm allows it.
base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
DBDIR=$(mktemp -d "$base/orlix6-testdb.XXXXXX")
export ORLIX_DB_DIR="$DBDIR" ORLIX_DB_FAST=1
cleanup() { "$ROOT/scripts/localdb.sh" stop >/dev/null 2>&1 || true; rm -rf "$DBDIR"; }
trap cleanup EXIT INT TERM
scripts/localdb.sh start >/dev/null

export ORLIX_TEST_SOCKET="$DBDIR/mysqld.sock"
export ORLIX_TEST_USER=root ORLIX_TEST_PASSWORD=""
export QT_QPA_PLATFORM=offscreen
BUILD_DIR="${ORLIX_BUILD_DIR:-build}"
mkdir -p "$BUILD_DIR/test-output"
cd "$BUILD_DIR"
set +e
ctest --output-on-failure -j"$(nproc)" "$@"
status=$?
exit $status
