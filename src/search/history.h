// Move-ordering memory: history counters of quiet moves that proved best, and two killer moves
// per ply and side. The picker reads them; the node search updates them after every node.
#pragma once

#include <cstdint>

#include "common/types.h"

constexpr int HISTORY_SLOTS = 4096;            // indexed by from << 6 | to
constexpr int HISTORY_SHARED_PLIES = 9;        // nodes nearer the root share one table
constexpr int HISTORY_QUARTER_AFTER = 30000;   // thread-table updates of a side between quarterings
constexpr int32_t HISTORY_LIMIT = 1 << 30;     // counters saturate here instead of overflowing

constexpr int KILLER_FIRST_PLY = -2;           // the picker at ply 0 and 1 reads two plies up
constexpr int KILLER_PLIES = 127;              // plies -2 .. 124
constexpr int KILLER_COUNT_LIMIT = 100;
constexpr int KILLER_COPY_MIN_PLIES = 20;

struct HistoryTable {
    int32_t counters[2][HISTORY_SLOTS];  // by side to move
};
static_assert(sizeof(HistoryTable) == 32768);

struct KillerPair {
    Move moves[2];
    int32_t counts[2];
};

// A thread's ordering tables.
struct MoveHistory {
    HistoryTable table;   // nodes at ply >= HISTORY_SHARED_PLIES
    int32_t updates[2];   // updates of `table` per side since its last quartering
    KillerPair killers[KILLER_PLIES][2];  // [ply - KILLER_FIRST_PLY][side]
};

// Written by every thread without a lock; lost updates only blur the ordering a little.
extern HistoryTable shared_history;

// What the node search knows about a node when it ends.
struct NodeOutcome {
    int ply;
    int side;            // side to move at the node
    int depth;
    int alpha;           // the node's alpha on entry
    int best;
    int moves_searched;  // legal moves searched
    Move best_move;
};

void clear_shared_history();
void clear_move_history(MoveHistory& h);

// The counter of `move` for `side` in the table that serves `ply`.
int32_t history_value(const MoveHistory& h, int ply, int side, Move move);
// The killers of `ply` for `side`; null for plies outside the table.
const KillerPair* killers_at(const MoveHistory& h, int ply, int side);

// Rewards a quiet best move that raised alpha: its history counter and this ply's killers.
void update_move_history(MoveHistory& h, const NodeOutcome& node);

// A thread joining a split point starts from the owner's killers near the root.
void copy_killers(MoveHistory& to, const MoveHistory& from, int top);
