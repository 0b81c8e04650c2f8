#!/usr/bin/env bash
# Presses the simulated remote of the QuorSim started by scripts/quorsim.sh:
#   scripts/quor-remote.sh press KEY_PLAY 300 | down KEY_UP | up | remote builtin:rc5 | keys | uart | help
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX=$PWD/build/win64/quorsim-prefix WINEDEBUG=-all
/usr/lib/wine/wine64 build/win64/tools/quor-remote.exe "$@" | tr -d '\r'
exit "${PIPESTATUS[0]}"
