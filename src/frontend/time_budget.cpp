#include "frontend/time_budget.h"

#include <algorithm>

#include "common/log.h"

namespace {

constexpr int MAX_MOVES_AHEAD = 45;

int64_t to_us(double seconds) {
    return int64_t(std::clamp(seconds, -MAX_BUDGET_SECONDS, MAX_BUDGET_SECONDS) * 1000000.0);
}

double opening_factor(int engine_moves) {
    if (engine_moves == 0) return 3.2;
    if (engine_moves <= 5) return 2.2;
    if (engine_moves <= 11) return 1.5;
    return 1.0;
}

}  // namespace

void allocate_time(TimeBudget& b, bool ponder, int engine_moves, double lag_seconds) {
    if (b.fixed != -1) {
        log_print("Setting Clock: fixed time per move of %.3fs\n", b.fixed);
        b.target_time_us = b.hard_limit_us = to_us(b.fixed);
        b.base_time_budget_us = 0;
        return;
    }
    double r = b.remaining;
    // No moves left to the control (an interface may say 0): budget as for the last one.
    int m = std::clamp(b.moves_to_go, 1, MAX_MOVES_AHEAD);
    int k = std::max(2, (m + 4) / 8);
    double reserve = r * 2.0 * k / (m + 2 * k);
    double t = (r < 6.0 ? 0.001 : r - reserve) / m;
    t *= 0.85;
    if (r < 30.0) t *= 0.5;
    t *= ponder ? 1.5 : 0.8;
    double base = t;
    t *= opening_factor(engine_moves);
    if (b.increment != -1) {
        double bonus = b.increment * (ponder ? 1.5 : 1.0);
        t += bonus;
        base += bonus;
    }
    t -= lag_seconds;
    t = std::max(std::min(t, r * 0.5), 0.001);
    b.target_time_us = to_us(t);
    b.base_time_budget_us = to_us(base);
    b.hard_limit_us = to_us(std::max(r / 3.0, 0.001));
}
