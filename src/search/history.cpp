#include "search/history.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

HistoryTable shared_history;

namespace {

int slot_of(Move move) { return int(move & (HISTORY_SLOTS - 1)); }

// Relaxed atomic access compiles to plain loads and stores but keeps the unlocked sharing
// between threads well defined.
std::atomic_ref<int32_t> shared_counter(int side, Move move) {
    return std::atomic_ref<int32_t>(shared_history.counters[side][slot_of(move)]);
}

int32_t saturated_add(int32_t counter, int32_t bonus) {
    return counter >= HISTORY_LIMIT - bonus ? HISTORY_LIMIT : counter + bonus;
}

void reward_history(MoveHistory& h, int ply, int side, Move move, int32_t bonus) {
    if (ply < HISTORY_SHARED_PLIES) {
        auto counter = shared_counter(side, move);
        counter.store(saturated_add(counter.load(std::memory_order_relaxed), bonus),
                      std::memory_order_relaxed);
        return;
    }
    int32_t* counters = h.table.counters[side];
    counters[slot_of(move)] = saturated_add(counters[slot_of(move)], bonus);
    // Old successes fade so the table follows the current part of the tree.
    if (++h.updates[side] > HISTORY_QUARTER_AFTER) {
        h.updates[side] = 0;
        for (int i = 0; i < HISTORY_SLOTS; ++i) counters[i] >>= 2;
    }
}

// Index into `killers`, or -1 for plies outside the table.
int killer_index(int ply) {
    int index = ply - KILLER_FIRST_PLY;
    return index >= 0 && index < KILLER_PLIES ? index : -1;
}

void reward_killer(KillerPair& k, Move move) {
    if (k.moves[0] == move) {
        k.counts[0] = std::min(k.counts[0] + 1, KILLER_COUNT_LIMIT);
    } else if (k.moves[1] == move) {
        k.counts[1] = std::min(k.counts[1] + 1, KILLER_COUNT_LIMIT);
    } else {
        k.moves[1] = move;
        k.counts[1] = 1;
    }
    if (k.counts[1] >= k.counts[0]) {
        std::swap(k.moves[0], k.moves[1]);
        std::swap(k.counts[0], k.counts[1]);
    }
}

}  // namespace

void clear_shared_history() {
    for (int side = BLACK; side <= WHITE; ++side)
        for (int i = 0; i < HISTORY_SLOTS; ++i)
            shared_counter(side, Move(i)).store(0, std::memory_order_relaxed);
}

void clear_move_history(MoveHistory& h) { std::memset(&h, 0, sizeof h); }

int32_t history_value(const MoveHistory& h, int ply, int side, Move move) {
    if (ply < HISTORY_SHARED_PLIES) return shared_counter(side, move).load(std::memory_order_relaxed);
    return h.table.counters[side][slot_of(move)];
}

const KillerPair* killers_at(const MoveHistory& h, int ply, int side) {
    int index = killer_index(ply);
    return index >= 0 ? &h.killers[index][side] : nullptr;
}

void update_move_history(MoveHistory& h, const NodeOutcome& node) {
    const Move move = node.best_move & MOVE_IDENTITY_MASK;
    if (node.moves_searched < 1 || node.depth < 1 || node.best <= node.alpha) return;
    if (move <= SKIP_MOVE || move_captured(move) != EMPTY || is_en_passant(move)) return;
    reward_history(h, node.ply, node.side, move, node.depth * node.depth);
    int index = killer_index(node.ply);
    if (index >= 0) reward_killer(h.killers[index][node.side], move);
}

void copy_killers(MoveHistory& to, const MoveHistory& from, int top) {
    int plies = std::min(std::max(top, KILLER_COPY_MIN_PLIES), KILLER_PLIES);
    std::memcpy(to.killers, from.killers, sizeof(KillerPair[2]) * size_t(plies));
}
