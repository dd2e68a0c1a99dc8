// Counting the leaves of the legal move tree, to check move generation and make/unmake.
#pragma once

#include <cstdint>

#include "board/position.h"

// Called after each root move's subtree is counted.
using PerftRootReport = void (*)(Move move, uint64_t count);

// Leaves below `p` at `depth`; `p` is unchanged on return. Every leaf is made and unmade.
uint64_t perft(Position& p, int depth, PerftRootReport report = nullptr);
