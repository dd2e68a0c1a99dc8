#!/usr/bin/env bash
# Builds Release (build/release) and Sanitize, with address and undefined-behaviour checks
# (build/sanitize), and runs the whole test suite on both; then Tsan, with ThreadSanitizer
# (build/tsan), for the tests that run several search threads; then builds the fuzz targets
# with clang (build/fuzz) and runs each once over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
tsan_tests='^(ParallelSearchTest|SearchTest|GameControlTest|EngineMoveTest)\.'
for build in Release:release Sanitize:sanitize; do
  type=${build%%:*}
  dir=build/${build#*:}
  echo "=== $type build in $dir"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done

echo "=== Tsan build in build/tsan: the searches and game control on several threads"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Tsan
cmake --build build/tsan -j "$jobs" --target parallel_search_test search_test game_control_test
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -j "$jobs" -R "$tsan_tests"

echo "=== Fuzz targets over their seed corpora in build/fuzz"
bash scripts/fuzz.sh replay
