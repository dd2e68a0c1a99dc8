// An idle thread looks among its neighbours for the most promising level to share, asks its
// owner for it and waits for the answer, which the owner gives at its next node entry.
#include <thread>

#include "board/t_move_basics.h"
#include "search/negascout.h"
#include "search/split_point.h"

namespace {

bool may_ask(const CpuContext* neighbour) {
    return neighbour && !neighbour->idle.load(std::memory_order_relaxed) &&
           !neighbour->abort.load(std::memory_order_relaxed) &&
           neighbour->searching.load(std::memory_order_relaxed) != 0;
}

bool same_memory_node(const CpuContext& c, const CpuContext& neighbour) {
    return neighbour.cpu >= c.node_first && neighbour.cpu < c.node_first + c.node_count;
}

// The link slot of the neighbour with the best level to split at, or -1.
int best_neighbour(const CpuContext& c, int& best) {
    int chosen = -1;
    best = 0;
    for (int slot = 0; slot < c.link_count; ++slot) {
        const CpuContext* n = c.links[slot];
        if (!may_ask(n)) continue;
        int split = n->best_split.load(std::memory_order_relaxed);
        // Across memory nodes only where the work below is deep enough to pay for it.
        if (!same_memory_node(c, *n) && ((split >> 16) & 0xff) < 4) continue;
        if (split > best) {
            best = split;
            chosen = slot;
        }
    }
    return chosen;
}

// Writes the request into the neighbour's byte for this thread's slot and waits until the
// neighbour has answered it, or withdraws it when the neighbour can no longer answer.
void ask_to_split(CpuContext& neighbour, int slot, uint8_t level) {
    std::atomic<uint8_t>& request = neighbour.requests[slot];
    request.store(level, std::memory_order_release);
    for (;;) {
        uint8_t now = request.load(std::memory_order_acquire);
        if (now == 0) return;
        if (now == level && (search_stopped() || !may_ask(&neighbour)) &&
            request.compare_exchange_strong(now, 0, std::memory_order_acquire))
            return;
        std::this_thread::yield();
    }
}

}  // namespace

void idle_loop(CpuContext& c) {
    while (c.idle.load(std::memory_order_acquire) && !search_stopped()) {
        ++c.stats.idle_iterations;
        ++c.stats.extra[STAT_ATTEMPTS];
        int best;
        int slot = best_neighbour(c, best);
        if (slot >= 0 && best >= 1 << 16)
            ask_to_split(*c.links[slot], slot, uint8_t(best & 0xffff));
        else
            std::this_thread::yield();
    }
}

void replay_to_split_point(CpuContext& c) {
    for (int level = 0; level < c.top; ++level) make_move(c.position, c.frame_stack[level].move);
}
