#!/usr/bin/env bash
# Relative search speed of two engine binaries: usage compare_speed.sh A B [rounds] [depth] [core].
# On a shared machine the speed drifts by more than the changes worth measuring, and the two
# cores need not run at the same speed, so A and B take turns on one pinned core (A first in odd
# rounds, B first in even ones); each round gives a ratio B/A of two runs made moments apart.
# The figure is the geometric mean of the ratios, with the number of rounds B won: a change
# that wins nearly every round is real even when the mean moves by only a percent. Running the
# two side by side instead would also have their tables compete for the shared cache.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 A B [rounds] [depth] [core]" >&2; exit 2; }
a=$1 b=$2 rounds=${3:-8} depth=${4:-10} core=${5:-0}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

nps() { taskset -c "$core" "$1" bench "$depth" | awk '/Nodes\/second/ {print $3}'; }

for round in $(seq "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then
        na=$(nps "$a") nb=$(nps "$b")
    else
        nb=$(nps "$b") na=$(nps "$a")
    fi
    echo "round $round: A $na  B $nb"
    echo "$na $nb" >>"$out/pairs"
done
awk '{ sum += log($2 / $1); n++; won += $2 > $1 }
     END { printf "B/A: %.3f (geometric mean of %d rounds; B faster in %d)\n", exp(sum / n), n, won }' "$out/pairs"
