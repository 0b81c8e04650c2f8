#!/usr/bin/env bash
# The flakiness check: runs the end-to-end suite N times in a row (default 20) in one Wine
# session and stops at the first failure. Prints "e2e: K of N runs green".
#   scripts/e2e-repeat.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "${OVALINK_JOBS:-2}" --target ovalink_e2e_tests >/dev/null
exec scripts/with-wine.sh build/win64/wineprefix bash -c '
  green=0
  for i in $(seq 1 "$1"); do
    if ! ctest --preset win64 -L e2e --output-on-failure >"build/win64/e2e-run-$i.log" 2>&1; then
      echo "e2e: run $i failed (build/win64/e2e-run-$i.log)"
      break
    fi
    green=$i
    echo "e2e: run $i green"
  done
  echo "e2e: $green of $1 runs green"
  [ "$green" -eq "$1" ]' e2e-repeat "$runs"
