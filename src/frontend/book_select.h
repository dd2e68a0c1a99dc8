// The opening book's choice: the book file's moves and the book lines' marks of a position are
// weighed, logged, and one is drawn at random in proportion to its weight.
#pragma once

#include <cstdint>

#include "frontend/book_file.h"

// The weight of `m` among candidates whose flags or-ed together give `all_flags`: good moves
// (by line, then by file) push the rest out; unmarked moves need a score, games and wins.
double book_move_weight(const BookMove& m, uint32_t all_flags);
// The chosen legal move for `p`, or NULL_MOVE; every step is logged.
Move book_select(const Position& p);
