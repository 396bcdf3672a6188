#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each of them over the seed corpus.
#   scripts/fuzz.sh            a short, fixed number of runs per target (what ./test does)
#   scripts/fuzz.sh SECONDS    each target for that many seconds
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j "$(nproc)"
limit=(-runs=20000)
[ $# -ge 1 ] && limit=(-max_total_time="$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in build-fuzz/fuzz/fuzz_*; do
  name=${target##*/fuzz_}
  corpus="$work/$name"
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  # Crashes found earlier stay as regression inputs.
  if [ -d "fuzz/regressions/$name" ]; then
    "$target" fuzz/regressions/"$name"/* >"$work/$name.log" 2>&1 || { tail -30 "$work/$name.log"; exit 1; }
  fi
  echo "fuzz_$name: ${limit[*]}"
  if ! "$target" "${limit[@]}" -print_final_stats=1 "$corpus" >"$work/$name.log" 2>&1; then
    tail -40 "$work/$name.log"
    echo "fuzz_$name failed"
    exit 1
  fi
  grep -E 'stat::number_of_executed_units' "$work/$name.log"
done
