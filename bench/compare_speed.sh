#!/usr/bin/env bash
# Relative search speed of two engine binaries: usage compare_speed.sh A B [rounds] [depth].
# On a shared machine the speed drifts by more than the changes worth measuring, so A and B run
# their bench at the same time, each pinned to a core of its own, swapping cores every round; the
# figure is the geometric mean of the per-round ratios B/A. Two copies of one binary come out
# within about 1%.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 A B [rounds] [depth]" >&2; exit 2; }
a=$1 b=$2 rounds=${3:-6} depth=${4:-10}
[ "$(nproc)" -ge 2 ] || { echo "needs two cores" >&2; exit 2; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

nps() { awk '/Nodes\/second/ {print $3}' "$1"; }

for round in $(seq "$rounds"); do
    core_a=$((round % 2)) core_b=$(((round + 1) % 2))
    taskset -c "$core_a" "$a" bench "$depth" >"$out/a" &
    taskset -c "$core_b" "$b" bench "$depth" >"$out/b"
    wait
    echo "round $round: A $(nps "$out/a")  B $(nps "$out/b")"
    echo "$(nps "$out/a") $(nps "$out/b")" >>"$out/pairs"
done
awk '{ sum += log($2 / $1); n++ } END { printf "B/A: %.3f (geometric mean of %d rounds)\n", exp(sum / n), n }' "$out/pairs"
