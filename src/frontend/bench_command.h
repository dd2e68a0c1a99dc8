// "bench": a fixed-depth search of a fixed set of positions, whose total node count is the
// search's signature.
#pragma once

constexpr int BENCH_DEFAULT_DEPTH = 9;

// Searches every bench position to the depth in `args` (the default without one) with cleared
// tables, one line per position, then the totals.
void bench_command(const char* args);
