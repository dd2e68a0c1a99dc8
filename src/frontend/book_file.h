// The opening book file: for each position key, the moves played from it with their games'
// results and good/bad flags. Only the index lives in memory; each probe reads one bucket.
//
// Layout (little-endian): 65536 u32 bucket sizes, 65536 u32 bucket offsets, then the buckets.
// Bucket b holds the positions whose key has b as its lowest 16 bits: an i32 entry count, then
// entries of a u64 key, a u32 move count m and m move records of five u32 (flags, wins, draws,
// losses, move). Main thread only.
#pragma once

#include <cstdint>

#include "board/movegen.h"
#include "board/position.h"

constexpr int BOOK_BUCKETS = 65536;
constexpr int BOOK_INDEX_BYTES = 2 * BOOK_BUCKETS * 4;
constexpr int BOOK_ENTRY_HEADER_BYTES = 12;
constexpr int BOOK_MOVE_BYTES = 20;

// Flags of a book move: bits 0 and 1 come from the file, bits 2 and 3 from book lines.
enum BookFlag : uint32_t {
    BOOK_FILE_BAD = 1,
    BOOK_FILE_GOOD = 2,
    BOOK_LINE_BAD_FLAG = 4,
    BOOK_LINE_GOOD_FLAG = 8,
};

struct BookMove {
    Move move;
    uint32_t flags;
    uint32_t wins;
    uint32_t draws;
    uint32_t losses;
};

// Every legal move of a position, and one more that a book line adds.
constexpr int BOOK_MAX_CANDIDATES = MAX_MOVES + 1;

struct BookProbe {
    BookMove moves[BOOK_MAX_CANDIDATES];
    int count;
    uint32_t bucket_bytes;  // the size the index gives the position's bucket
};

// Opens `path` and reads its index; the new book replaces the open one. False, logged as
// "Couldn't open book", when the file cannot be opened or its index is short: the open book
// stays.
bool book_open(const char* path);
// No book open, as at start-up.
void book_close();
// The file's moves for `p` that are legal there, in file order. None when no book is open, the
// bucket lies beyond the file or cannot be read, an entry overruns it, or the key is not in it.
// `p` is unchanged.
void book_probe(Position& p, BookProbe& out);
