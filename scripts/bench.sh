#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs every one of them; each prints its
# figures as ratios against the baseline measured in the same run.
#   scripts/bench.sh                 all benchmarks
#   scripts/bench.sh ARGS...         passed to every benchmark (e.g. --benchmark_repetitions=3)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build build-bench -j2
for bench in build-bench/bench/*_bench; do
  echo "== ${bench##*/}"
  "$bench" "$@"
done
