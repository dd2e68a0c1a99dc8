// Sizes of every thread's transposition share, king hash and pawn hash, set by hand per table or
// split from one memory budget, and applied by each thread to its own tables at the next search
// start (so that a thread's share lies in its memory node).
#pragma once

#include <cstdint>

#include "search/hash_table.h"

constexpr uint64_t HASH_DEFAULT = 67108864;  // 64 MB
constexpr uint64_t KHASH_DEFAULT = 8388608;
constexpr uint64_t PHASH_DEFAULT = 2097152;

// Bytes per thread, as the options set them.
extern uint64_t hash_size;
extern uint64_t khash_size;
extern uint64_t phash_size;
// The total budget of the automatic mode.
extern uint64_t memory_size;
// 1 while the sizes come from `memory_size`.
extern int memory_mode;
// The threads resize their tables at the next search start; set at start so they get memory.
extern int resize_pending;

struct TableSizes {
    uint64_t hash;
    uint64_t khash;
    uint64_t phash;
};

// Per-thread sizes for a total budget: a twentieth for pawn hashes (at most 16 MB a thread), a
// tenth for king hashes (at most 32 MB a thread), the rest for the transposition shares.
TableSizes memory_split(uint64_t total, int threads);
// A table size was set by hand: the automatic mode ends and the threads resize.
void table_size_set_by_hand();
// Splits `total` over `threads` (the automatic mode), logs it and has the threads resize.
void split_memory(uint64_t total, int threads);
// The resize point of thread `cpu`: applies the current sizes to its tables, clears those
// asked to be cleared, and publishes its share of the transposition table.
void resize_thread_tables(int cpu, hash_table& tt_share, hash_table& king_hash, hash_table& pawn_hash);
