// Where a thread's stack is worth sharing: a score per level, highest where many moves remain
// at a node that will search them all, and the thread's neighbours that may come to share it.
#include "search/split_point.h"

#include <bit>

namespace {

bool tt_says_all(const Frame& f) { return f.tt_type == TT_ALL && !f.tt_prev_cut; }

// Moves still to come; a stage that keeps no count may have some.
bool moves_left(const Frame& f) { return moves_remaining(f.picker) != 0; }

int score_by_moves(const Frame& f, int searched) {
    if (f.depth == 2) return f.type == NODE_ALL && searched > 1 && f.tt_type != TT_CUT ? 768 : 0;
    if (searched >= 4) return f.type == NODE_CUT ? 2560 : f.type == NODE_ALL ? 2304 : 1792;
    bool all_node = f.type == NODE_ALL;
    if (searched >= 2) {
        if (all_node && tt_says_all(f)) return 2048;
        return f.depth < 9 ? 512 : 0;
    }
    if (all_node && tt_says_all(f)) return f.depth <= 8 ? 1536 : 2 * (640 - f.depth);
    if (all_node && f.tt_type != TT_CUT && f.depth <= 6) return 256;
    return 0;
}

int split_score(const Frame& f) {
    int workers = f.workers.load(std::memory_order_relaxed);
    int base;
    if (workers >= 32 || f.lm < 1 || !moves_left(f) || f.depth < 2) {
        base = 200;
    } else {
        int searched = workers > 1 ? f.lm - (workers - 1) : f.lm;
        base = score_by_moves(f, searched);
    }
    int score = base + f.depth;
    return score < 256 ? 0 : score;
}

void recompute_best_split(CpuContext& c, int levels) {
    int best = 0;
    for (int level = 1; level < std::min(levels, SPLIT_LEVELS); ++level)
        if (c.split_scores[level]) best = std::max(best, c.split_scores[level] << 16 | level);
    c.best_split.store(best, std::memory_order_relaxed);
}

}  // namespace

void link_threads(int thread_count) {
    int bits = std::bit_width(unsigned(thread_count - 1));
    for (int cpu = 0; cpu < thread_count; ++cpu) {
        CpuContext& c = *contexts[cpu];
        c.link_count = bits;
        for (int b = 0; b < MAX_LINKS; ++b) {
            int other = cpu ^ (1 << b);
            c.links[b] = b < bits && other < thread_count ? contexts[other] : nullptr;
        }
        // One memory node: the machine's topology is not read.
        c.node_first = 0;
        c.node_count = thread_count;
    }
}

void update_split_score(CpuContext& c, int level, const Frame& f) {
    if (level >= SPLIT_LEVELS) return;
    int score = split_score(f);
    if (score == c.split_scores[level]) return;
    c.split_scores[level] = uint16_t(score);
    recompute_best_split(c, level + 1);
}
