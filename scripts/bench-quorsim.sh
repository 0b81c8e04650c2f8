#!/usr/bin/env bash
# Benchmark of QuorSim.exe under Wine: idle CPU, working set, press-to-delivery latency.
#   scripts/bench-quorsim.sh [PRESSES=100] [IDLE_SECONDS=30]
# Builds what it needs in the win64 preset; uses its own Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "${OVALINK_JOBS:-2}" --target quorsim_bench QuorSim e2e_stand_in >/dev/null
exec scripts/with-wine.sh build/win64/bench-prefix cmake/wine-run.sh \
  build/win64/tests/e2e/quorsim_bench.exe "${1:-100}" "${2:-30}"
