#!/usr/bin/env bash
# The recognition bench over a folder of real remotes (the IR database's .ir captures and
# lircd.conf files), written to docs/bench/corpus.md: per remote, keys loaded and trained,
# correct/wrong/missed/extra presses, and the share of long and short presses correct, under
# the realistic receiver (the default) and the exact signal (--ideal).
#   scripts/bench-corpus.sh [DIR=../shared/irdb] [OUT=docs/bench/corpus.md]
# Builds quor-sim in the native preset; two remotes run at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-../shared/irdb}"
out="${2:-docs/bench/corpus.md}"
cmake --preset native >/dev/null
cmake --build --preset native -j "${OVALINK_JOBS:-2}" --target quor-sim >/dev/null
quorsim=build/native/tools/quor-sim
default_table=$("$quorsim" bench --dir "$dir" 2>/dev/null)
ideal_table=$("$quorsim" bench --dir "$dir" --ideal 2>/dev/null)
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
{
  echo "# Recognition on real remotes"
  echo
  echo "Every remote file of \`$(basename "$dir")\` (the IR database's raw captures and parsed"
  echo "keys, see its README), benched as \`quor-sim bench --dir\` does: each remote's first 34"
  echo "keys trained on a fresh registry, then 200 random presses the way the program asks for"
  echo "them, seed 1. \"keys loaded\" are the keys the lab can send (\"left out\": refused with a"
  echo "note, e.g. the same signal as another key); \"3+ frames %\" and \"shorter %\" are the"
  echo "presses of three frames or more, and the rest, that were correct."
  echo
  echo "Made by \`scripts/bench-corpus.sh\` at commit $commit."
  echo
  echo "## Realistic receiver (the default)"
  echo
  echo "$default_table"
  echo
  echo "## Exact signal (\`--ideal\`)"
  echo
  echo "$ideal_table"
} > "$out"
echo "wrote $out"
