// Per-thread search counters, summed over the threads after a search for the statistics block.
#pragma once

#include <algorithm>
#include <cstdint>

struct SearchStats {
    uint64_t nodes;
    uint64_t qnodes;
    uint64_t qnode_subcount;  // a subset of qnodes, shown as its share of them
    uint64_t tt_probes;
    uint64_t tt_pings;  // probes that found the position's key
    uint64_t tt_hits;   // probes whose entry was usable
    uint64_t tt_used;   // entries written
    uint64_t khash_hits;
    uint64_t khash_probes;
    uint64_t phash_hits;
    uint64_t phash_probes;
    uint64_t ext_check;
    uint64_t ext_singular;
    uint64_t ext_mate;
    uint64_t ext_one_rep;
    uint64_t iid_count;
    uint64_t iid_base;  // what iid_count is measured against
    uint64_t tb_probes;
    uint64_t tb_hits;
    uint64_t extra[4];         // summed, never printed
    uint64_t idle_iterations;  // per thread: not summed
    int32_t seldepth;          // the deepest ply reached: the sum keeps the maximum
};

// Adds one thread's counters into `total`.
inline void add_search_stats(SearchStats& total, const SearchStats& thread) {
    total.nodes += thread.nodes;
    total.qnodes += thread.qnodes;
    total.qnode_subcount += thread.qnode_subcount;
    total.tt_probes += thread.tt_probes;
    total.tt_pings += thread.tt_pings;
    total.tt_hits += thread.tt_hits;
    total.tt_used += thread.tt_used;
    total.khash_hits += thread.khash_hits;
    total.khash_probes += thread.khash_probes;
    total.phash_hits += thread.phash_hits;
    total.phash_probes += thread.phash_probes;
    total.ext_check += thread.ext_check;
    total.ext_singular += thread.ext_singular;
    total.ext_mate += thread.ext_mate;
    total.ext_one_rep += thread.ext_one_rep;
    total.iid_count += thread.iid_count;
    total.iid_base += thread.iid_base;
    total.tb_probes += thread.tb_probes;
    total.tb_hits += thread.tb_hits;
    for (int i = 0; i < 4; ++i) total.extra[i] += thread.extra[i];
    total.seldepth = std::max(total.seldepth, thread.seldepth);
}
