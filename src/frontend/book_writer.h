// Writing a book file (the layout book_file.h reads) from the builder's kept moves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/book_tally.h"

struct BookWriteCounts {
    int64_t positions;
    int64_t moves;
};

// Writes `moves`, in kept_moves order, to `path` with no flags set. False, with the reason in
// `error`, when the file cannot be written or would outgrow the 32-bit offsets of the index.
bool write_book(const char* path, const std::vector<MoveTally>& moves, BookWriteCounts& counts,
                std::string& error);
