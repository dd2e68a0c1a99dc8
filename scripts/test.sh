#!/usr/bin/env bash
# Builds Release (build/release) and Sanitize, with address and undefined-behaviour checks
# (build/sanitize), and runs the whole test suite on both; then builds the fuzz targets with
# clang (build/fuzz) and runs each once over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
for build in Release:release Sanitize:sanitize; do
  type=${build%%:*}
  dir=build/${build#*:}
  echo "=== $type build in $dir"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done

echo "=== Fuzz targets over their seed corpora in build/fuzz"
bash scripts/fuzz.sh replay
