// "bench": a fixed-depth search of a fixed set of positions, whose total node count is the
// search's signature.
#pragma once

#include <span>

constexpr int BENCH_DEFAULT_DEPTH = 11;

// Asked while a bench search runs; true gives the bench up.
using BenchInterruption = bool (*)();

// The FENs the bench searches; the tests reuse them as a varied set.
std::span<const char* const> bench_positions();
// Searches every bench position to `depth` (the default for 0 or less) with cleared tables,
// one line per position, then the totals. Given up when `interrupted` (if any) says so.
void run_bench(int depth, BenchInterruption interrupted = nullptr);
// The "bench" command: an optional depth and an optional number of search threads in `args`. "quit" or the end of input arriving while it
// runs gives it up.
void bench_command(const char* args);
