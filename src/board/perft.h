// Counting the leaves of the legal move tree, to check move generation and make/unmake.
#pragma once

#include <cstdint>

#include "board/position.h"

// Called after each root move's subtree is counted.
using PerftRootReport = void (*)(Move move, uint64_t count);
// The deepest count the position's history has room for: each ply of the tree is one entry.
int perft_max_depth(const Position& p);
// Leaves below `p` at `depth` (0 to perft_max_depth(p)); `p` is unchanged on return. Every leaf
// is made and unmade.
uint64_t perft(Position& p, int depth, PerftRootReport report = nullptr);
