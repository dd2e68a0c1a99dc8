// Book lines: moves from the start position in the options file, some marked good ("!!") or
// bad ("??"). The marks are kept by the position before the move, for the opening book.
#pragma once

#include <cstdint>

#include "common/types.h"

enum BookLineMark : int { BOOK_LINE_BAD = 1, BOOK_LINE_GOOD = 2 };

struct BookLineMove {
    Move move;
    int mark;
};

// Reads one line: moves in SAN or coordinates, move numbers ("1.", "12...") skipped, a mark
// right after the move it marks. False, with nothing stored, when a move cannot be read or is
// not legal, a mark comes before any move, or there is no move at all. A later line replaces
// an earlier mark for the same position.
bool read_book_line(const char* text);
// The marked move for the position with `key`; false when there is none.
bool book_line_find(uint64_t key, BookLineMove& out);
int book_line_entries();
void book_lines_clear();
