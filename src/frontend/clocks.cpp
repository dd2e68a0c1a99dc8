// The time-control periods, the two clocks and the budget taken from them.
#include <algorithm>

#include "common/log.h"
#include "common/settings.h"
#include "frontend/frontend_state.h"
#include "frontend/game_control.h"
#include "platform/clock.h"
#include "search/search_shared.h"

namespace {

constexpr int MOVES_TO_GO_CAP = 50;

const char* side_name(int side) { return side == WHITE ? "White" : "Black"; }

void drop_readings() {
    game_control.readings[OWN_CLOCK] = game_control.readings[OPPONENT_CLOCK] = ClockReading{};
}

void stop_clock_and_reset(double seconds) {
    drop_readings();
    game_control.clock[WHITE] = game_control.clock[BLACK] = seconds;
    game_control.budget.moves_to_go = -1;
    game_control.clock_running = false;
}

double seconds_running() {
    if (!game_control.clock_running) return 0;
    return double(now_us() - game_control.clock_start_us) / 1000000.0;
}

}  // namespace

void allocate_budget() {
    double lag = frontend.remote_mode != REMOTE_NONE ? internet_lag / 1000.0 : 0;
    allocate_time(game_control.budget, game_control.ponder_enabled, game_control.engine_moves, lag);
}

void set_period(int index, double base, double increment, int moves) {
    index = std::clamp(index, 0, MAX_PERIODS - 1);
    game_control.periods[index] = {-1, base, increment, moves == 0 ? MOVES_WHEN_UNLIMITED : moves};
    game_control.period_count = index + 1;
    if (index == 0) stop_clock_and_reset(base);
}

void set_fixed_time(double seconds) {
    TimePeriod& first = game_control.periods[0];
    first.fixed_time = seconds;
    first.moves = FIXED_TIME_MOVES;
    game_control.period_count = 1;
    stop_clock_and_reset(first.base_time);
}

int find_period(int n, int* index_within) {
    const TimePeriod* periods = game_control.periods;
    int count = std::max(game_control.period_count, 1);
    if (count == 1) {
        *index_within = n % std::max(periods[0].moves, 1);
        return 0;
    }
    for (int p = 0; p < count; ++p) {
        if (n < periods[p].moves) {
            *index_within = n;
            return p;
        }
        n -= periods[p].moves;
    }
    // Past the last period the game goes on with the last period over and over.
    log_print("Error: Ran out of timecontrols!! Shouldn't happen.\n");
    *index_within = n % std::max(periods[count - 1].moves, 1);
    return count - 1;
}

void charge_clock(int side) {
    int n = (game_position.move_number - 1) / 2;
    int index;
    const TimePeriod& p = game_control.periods[find_period(n, &index)];
    double& clock = game_control.clock[side];
    if (p.increment != 0) {
        clock += p.increment;
        log_print("%s: incrementing clock: %.3f\n", side_name(side), p.increment);
    }
    if (n >= 1 && index == 0) {
        clock += p.base_time;
        log_print("%s: incrementing clock basetime: %.3f\n", side_name(side), p.base_time);
    }
    if (p.fixed_time > 0) clock += p.fixed_time;
    double used = seconds_running();
    clock -= used;
    log_print("%s: used %.3f seconds, now %.3f remaining\n", side_name(side), used, clock);
    drop_readings();  // the clocks have moved on from what the interface reported
    game_control.clock_running = true;
    game_control.clock_side = side;
    game_control.clock_start_us = now_us();
}

void update_clock(int side, double seconds) {
    log_print("Updating %s's clock from %.3f seconds to %.3f seconds.\n", side_name(side),
              game_control.clock[side], seconds);
    game_control.clock[side] = seconds;
    if (game_control.clock_running && game_control.clock_side == side)
        game_control.clock_start_us = now_us();
    if (game_searching() && !game_control.pondering) {
        if (side == game_control.engine_side) game_control.budget.remaining = seconds;
        allocate_budget();
    }
}

void report_clock(ClockOwner owner, double seconds) {
    game_control.readings[owner] = {true, seconds};
    update_clock(game_control.engine_side ^ owner, seconds);
}

void take_engine_side(int side) {
    GameControl& g = game_control;
    if (side != g.engine_side) {
        g.engine_side = side;
        for (ClockOwner owner : {OWN_CLOCK, OPPONENT_CLOCK})
            if (g.readings[owner].pending) update_clock(side ^ owner, g.readings[owner].seconds);
    }
    drop_readings();
}

void prepare_budget() {
    TimeBudget& b = game_control.budget;
    int index;
    const TimePeriod& p =
        game_control.periods[find_period((game_position.move_number + 1) / 2, &index)];
    int candidate = b.moves_to_go < 0 ? p.moves - index : b.moves_to_go;
    if (candidate >= MOVES_TO_GO_CAP)
        b.moves_to_go = MOVES_TO_GO_CAP;
    else if (b.moves_to_go < 0)
        b.moves_to_go = candidate;
    b.remaining = game_control.clock[game_control.engine_side];
    b.fixed = p.fixed_time;
    b.increment = p.increment;
    log_print("Black Clock: %.3fs; White clock: %.3fs\n", game_control.clock[BLACK],
              game_control.clock[WHITE]);
    allocate_budget();
}
