// Counting the leaves of the legal move tree, to check move generation and make/unmake.
#pragma once

#include <cstdint>

#include "board/position.h"

// Called after each root move's subtree is counted.
using PerftRootReport = void (*)(Move move, uint64_t count);
// Asked now and then while counting (every PERFT_CHECK_INTERVAL moves made); true abandons the
// count.
using PerftStopCheck = bool (*)();

constexpr uint32_t PERFT_CHECK_INTERVAL = 1 << 16;

// The deepest count the position's history has room for: each ply of the tree is one entry.
int perft_max_depth(const Position& p);
// Leaves below `p` at `depth` (0 to perft_max_depth(p)); `p` is unchanged on return. Every leaf
// is made and unmade. An abandoned count returns what was counted so far.
uint64_t perft(Position& p, int depth, PerftRootReport report = nullptr,
               PerftStopCheck stop = nullptr);
