#!/usr/bin/env bash
# Runs QuorSim.exe (the program on a simulated PC) under Wine until its tray menu's Exit:
#   scripts/quorsim.sh [--remote builtin:rc5|FILE.lircd.conf]
# Press its remote from another terminal with scripts/quor-remote.sh. Windows appear on
# $DISPLAY when there is one, otherwise on a private Xvfb (screenshots only).
set -euo pipefail
cd "$(dirname "$0")/.."
remote=builtin:nec
while [ $# -gt 0 ]; do
  case "$1" in
    --remote) remote=${2:?--remote needs a value}; shift 2 ;;
    --remote=*) remote=${1#--remote=}; shift ;;
    *) echo "usage: $0 [--remote builtin:NAME|FILE]" >&2; exit 2 ;;
  esac
done
case "$remote" in
  builtin:*) ;;
  *) remote=$(WINEPREFIX=$PWD/build/win64/quorsim-prefix /usr/lib/wine/wine64 winepath -w "$remote" 2>/dev/null | tr -d '\r') ;;
esac
export OVALINK_SIM_REMOTE="$remote" OVALINK_SHOW=1
case "$remote" in
  builtin:rc5 | builtin:rc6) example="press KEY_PLAY 300" ;;
  *) example="press KEY_PLAY 0 2 120  (a sharp double press; one press of a NEC-like remote sends nothing)" ;;
esac
echo "QuorSim with $OVALINK_SIM_REMOTE; once Play is trained, press it from another terminal: scripts/quor-remote.sh $example" >&2
exec scripts/with-wine.sh build/win64/quorsim-prefix /usr/lib/wine/wine64 build/win64/quorsim/QuorSim.exe
