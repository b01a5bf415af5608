#!/usr/bin/env bash
# Configures (once) and builds the whole tree into build/ with Ninja and ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# The precompiled header would otherwise make every compile uncacheable; the
# base folder lets checkouts side by side share one cache.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$(pwd)")}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
BUILD_DIR="${ORLIX_BUILD_DIR:-build}"
# ORLIX_WERROR=ON (the test run) turns every compiler warning into an error.
WERROR="${ORLIX_WERROR:-OFF}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLIX_WERROR="$WERROR" >/dev/null
elif ! grep -q "^ORLIX_WERROR:BOOL=$WERROR\$" "$BUILD_DIR/CMakeCache.txt"; then
  cmake -S . -B "$BUILD_DIR" -DORLIX_WERROR="$WERROR" >/dev/null
fi
cmake --build "$BUILD_DIR" -- -j"$(nproc)" ${ORLIX_BUILD_QUIET:+--quiet}
