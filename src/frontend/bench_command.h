// "bench": a fixed-depth search of a fixed set of positions, whose total node count is the
// search's signature.
#pragma once

#include <span>

constexpr int BENCH_DEFAULT_DEPTH = 11;

// The FENs the bench searches; the tests reuse them as a varied set.
std::span<const char* const> bench_positions();
// Searches every bench position to `depth` (the default for 0 or less) with cleared tables,
// one line per position, then the totals.
void run_bench(int depth);
// The "bench" command: an optional depth in `args`.
void bench_command(const char* args);
