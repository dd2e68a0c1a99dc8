// How long the engine may think about one move.
#pragma once

#include <cstdint>

// The budget of the engine's next (or running) search. Seconds, except the three results.
struct TimeBudget {
    int moves_to_go;   // -1: computed at the next budget, then kept
    double remaining;  // the engine's clock
    double increment;  // -1 when there is none
    double fixed;      // -1 unless a fixed time per move is set
    int64_t target_time_us;
    int64_t base_time_budget_us;  // the target before the opening factor and the lag
    int64_t hard_limit_us;
};

// The longest budget: its microseconds, with the stop test's factors on top, stay far inside
// int64_t, however a clock has grown.
constexpr double MAX_BUDGET_SECONDS = 1e10;

// Fills the three results of `b` from its clock, moves to go, increment and fixed time.
// `engine_moves` counts the engine's moves so far (more time early in the game); `lag_seconds`
// is taken off the target.
void allocate_time(TimeBudget& b, bool ponder, int engine_moves, double lag_seconds);
