#!/bin/sh
# Stands in for xdg-email: writes each argument NUL-terminated into the file
# named by ORLIX_TEST_XDG_OUT and exits with ORLIX_TEST_XDG_EXIT (default 0).
: > "$ORLIX_TEST_XDG_OUT"
for a in "$@"; do
    printf '%s\0' "$a" >> "$ORLIX_TEST_XDG_OUT"
done
exit "${ORLIX_TEST_XDG_EXIT:-0}"
