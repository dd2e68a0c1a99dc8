#!/usr/bin/env bash
# Tarvo's node rate against Ethereal's own bench (apt-get install ethereal-chess), the speed
# reference for the evaluation: usage reference_speed.sh TARVO [rounds] [core].
# Each program runs its own default bench; they take turns on one pinned core, alternating who
# goes first, so that the machine's drift touches both alike. Prints each round's node rates and
# the geometric mean of the ratio Tarvo/Ethereal.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 TARVO [rounds] [core]" >&2; exit 2; }
tarvo=$1 rounds=${2:-3} core=${3:-0}
ethereal=/usr/games/ethereal-chess
[ -x "$ethereal" ] || { echo "needs $ethereal: apt-get install -y ethereal-chess" >&2; exit 2; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

tarvo_nps() { taskset -c "$core" "$tarvo" bench | awk '/Nodes\/second/ {print $3}'; }
ethereal_nps() { taskset -c "$core" "$ethereal" bench | awk '/^NPS/ {print $3}'; }

for round in $(seq "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then
        t=$(tarvo_nps) e=$(ethereal_nps)
    else
        e=$(ethereal_nps) t=$(tarvo_nps)
    fi
    echo "round $round: Tarvo $t  Ethereal $e"
    echo "$t $e" >>"$out/pairs"
done
awk '{ sum += log($1 / $2); n++ }
     END { printf "Tarvo/Ethereal: %.3f (geometric mean of %d rounds)\n", exp(sum / n), n }' "$out/pairs"
