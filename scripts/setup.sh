#!/usr/bin/env bash
# Fresh machine to working engine: install the build tools, build Release into build/release,
# and show the engine answering a move-path count.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_build_tools.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release

echo
echo "build/release/tarvo is built; counting the move paths of the start position to depth 4:"
printf 'perft 4\nquit\n' | build/release/tarvo
