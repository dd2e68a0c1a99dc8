#!/usr/bin/env bash
# Parallel search figures: usage parallel_bench.sh [binary] [depth] [runs].
# The bench's 32 positions searched to a fixed depth with 1, 2, 4 and 8 threads, each run
# several times since a parallel search is not deterministic. Prints per thread count the mean
# time to depth over all positions and the mean node rate, each against one thread: the time
# ratio is the speedup that matters, the node-rate ratio shows how busy the threads kept.
# Each run also times two 1-thread benches side by side: their summed node rate is what two
# cores give two processes that share nothing, the ceiling for the 2-thread node rate (on a
# virtual machine whose cores share caches or a host, it is well below 2).
set -euo pipefail
bin=${1:-build/release/tarvo} depth=${2:-10} runs=${3:-3}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

nps() { "$bin" bench "$depth" "$1" | awk '/Nodes\/second/ {print $3}'; }

uptime
for run in $(seq "$runs"); do
    for threads in 1 2 4 8; do
        "$bin" bench "$depth" "$threads" |
            awk -v t="$threads" '/Total time/ {ms = $5} /Nodes\/second/ {nps = $3} END {print t, ms, nps}'
    done
    nps 1 >"$out/a" & nps 1 >"$out/b"
    wait
    echo "pair 0 $(($(cat "$out/a") + $(cat "$out/b")))"
done | awk '$1 == "pair" { pair += $3; pairs++; print "two 1-thread runs side by side: " $3 " nodes/s"; next }
     { ms[$1] += $2; nps[$1] += $3; n[$1]++; print "threads " $1 ": " $2 " ms, " $3 " nodes/s" }
     END {
         for (t = 1; t <= 8; t *= 2)
             printf "threads %d: mean %.0f ms (speedup %.2f), mean %.0f nodes/s (scaling %.2f)\n",
                    t, ms[t] / n[t], (ms[1] / n[1]) / (ms[t] / n[t]), nps[t] / n[t], (nps[t] / n[t]) / (nps[1] / n[1])
         printf "two 1-thread runs side by side: mean %.0f nodes/s (ceiling of the 2-thread scaling %.2f)\n",
                pair / pairs, (pair / pairs) / (nps[1] / n[1])
     }'
uptime
