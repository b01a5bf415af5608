#!/usr/bin/env bash
# Configures (once) and builds the whole tree into build/ with Ninja and ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
BUILD_DIR="${ORLIX_BUILD_DIR:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD_DIR" -- -j"$(nproc)" ${ORLIX_BUILD_QUIET:+--quiet}
