// Making and unmaking moves with every view and key updated incrementally.
#pragma once

#include "board/position.h"

// Applies `move` (from a generator, or checked by is_valid_move). Leaving the own king in check
// is the caller's test afterwards.
void make_move(Position& p, Move move);
// Takes back the move on top of the history.
void unmake_move(Position& p);
// The hash key `p` will have after `move`, without making it (for prefetching table entries).
uint64_t hash_key_after(const Position& p, Move move);
