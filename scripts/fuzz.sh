#!/usr/bin/env bash
# Builds the fuzz targets with clang (build/fuzz) and fuzzes them all, sharing N minutes
# (default 10): `scripts/fuzz.sh [minutes]`. `scripts/fuzz.sh replay` only runs each target once
# over its committed seeds (fuzz/corpus/<target>/), as the test script does.
# New inputs collect in build/fuzz/corpus/<target>/; crashing inputs land in
# build/fuzz/findings/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Fuzz -DCMAKE_CXX_COMPILER=clang++ \
  -DTARVO_TESTS=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)"

targets=()
for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done

if [ "${1:-}" = replay ]; then
  for target in "${targets[@]}"; do
    echo "=== replaying fuzz/corpus/$target"
    build/fuzz/fuzz/fuzz_"$target" fuzz/corpus/"$target"/*
  done
  exit 0
fi

minutes=${1:-10}
seconds=$(( minutes * 60 / ${#targets[@]} ))
mkdir -p build/fuzz/findings
for target in "${targets[@]}"; do
  echo "=== fuzzing $target for $seconds s"
  mkdir -p build/fuzz/corpus/"$target"
  build/fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/"$target"- \
    build/fuzz/corpus/"$target" fuzz/corpus/"$target"
done
