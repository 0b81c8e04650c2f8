#!/usr/bin/env bash
# A screenshot of the display that the running QuorSim (./build.sh quorsim,
# scripts/quorsim.sh) shows its windows on, private or not:
#   scripts/quorsim-shot.sh FILE.png
set -euo pipefail
out=${1:?usage: $0 FILE.png}
state=$(cd "$(dirname "$0")/.." && pwd)/build/win64/quorsim-prefix.display
if [ ! -s "$state" ]; then
  echo "QuorSim is not running: start it with ./build.sh quorsim" >&2
  exit 1
fi
display=$(cat "$state")
xwd -root -silent -display "$display" | convert xwd:- "$out"
echo "$out: the display $display"
