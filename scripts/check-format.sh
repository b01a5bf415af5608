#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format makes of it,
# and lists those files. With file arguments only those are checked.
set -euo pipefail
cd "$(dirname "$0")/.."
CLANG_FORMAT="${CLANG_FORMAT:-clang-format}"
if [ $# -gt 0 ]; then
  printf '%s\n' "$@"
else
  git ls-files '*.cpp' '*.h'
fi | while read -r f; do [ -f "$f" ] && printf '%s\0' "$f"; done |
  xargs -0 -r -P "$(nproc)" -n 16 sh -c '
    for f; do "$0" --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done' "$CLANG_FORMAT" |
  sort >"${TMPDIR:-/tmp}/orlix-format.$$"
bad=$(cat "${TMPDIR:-/tmp}/orlix-format.$$")
rm -f "${TMPDIR:-/tmp}/orlix-format.$$"
if [ -n "$bad" ]; then
  echo "Not formatted with .clang-format (run: clang-format -i FILE):" >&2
  echo "$bad" | sed 's/^/  /' >&2
  exit 1
fi
