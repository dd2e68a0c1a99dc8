#!/usr/bin/env bash
# Perft leaves per second of the Release build, single-threaded, and the same counts from
# Debian's stockfish where it is installed (its perft counts the last ply in bulk, so the ratio
# flatters it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target perft_bench >/dev/null
"$build/bench/perft_bench" | tee /tmp/tarvo_perft_bench.txt
ours=$(awk '/^total/ {printf "%.0f", $2 / $5}' /tmp/tarvo_perft_bench.txt)

stockfish=$(command -v stockfish || ls /usr/games/stockfish 2>/dev/null || true)
[ -n "$stockfish" ] || { echo "stockfish not installed: no comparison"; exit 0; }
sf_run() {  # fen depth -> seconds
    local start end
    start=$(date +%s.%N)
    printf 'setoption name Threads value 1\nposition fen %s\ngo perft %s\n' "$1" "$2" |
        "$stockfish" | grep "Nodes searched" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
t1=$(sf_run "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1" 6)
t2=$(sf_run "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1" 5)
sf_rate=$(echo "(119060324 + 193690690) / ($t1 + $t2)" | bc -l)
printf 'stockfish: %.3f s + %.3f s = %.1f M leaves/s\n' "$t1" "$t2" "$(echo "$sf_rate / 1000000" | bc -l)"
printf 'ratio tarvo/stockfish: %.2f\n' "$(echo "$ours / $sf_rate" | bc -l)"
