#!/bin/sh
# Runs one Windows test executable under 64-bit Wine. Output goes through a file: reading
# Wine's output through a pipe stalls about a second per GUI test. Carriage returns are
# stripped so that CTest and GoogleTest discovery parse the lines.
out=$(mktemp)
/usr/lib/wine/wine64 "$@" >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
rm -f "$out"
exit $rc
