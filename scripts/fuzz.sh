#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
CXX=clang++ bash scripts/build.sh build-fuzz -DPELL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/corpus/$name"
  echo "fuzzing $name for ${seconds}s"
  log="build-fuzz/$name.log"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  if ! "$target" -max_total_time="$seconds" -max_len=20000 -detect_leaks=1 -print_final_stats=0 "${args[@]}" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz target $name failed"
    exit 1
  fi
  tail -n 1 "$log"
done
