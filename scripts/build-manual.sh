#!/usr/bin/env bash
# Compiles the manual (docs/) into OUT_DIR/Quor.chm with chmcmd (Debian fp-utils):
#   scripts/build-manual.sh OUT_DIR
# chmcmd writes beside the project file, so it works on a copy and the source tree stays clean.
set -euo pipefail
docs=$(cd "$(dirname "$0")/../docs" && pwd)
out=$(realpath -m "$1")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$docs"/. "$work"/
(cd "$work" && chmcmd --verbosity 0 Quor.hhp >chmcmd.log 2>&1) || { cat "$work/chmcmd.log" >&2; exit 1; }
mv "$work/Quor.chm" "$out/Quor.chm"
