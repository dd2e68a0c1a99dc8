// Game control: which side the engine plays, the clocks and time-control periods, the time
// budget of each search, starting and stopping searches, pondering, and the engine's move once
// a search has ended. Main thread only. The game itself (position, moves, state) is game.h.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "frontend/game.h"
#include "frontend/time_budget.h"
#include "search/search_shared.h"

constexpr int MAX_PERIODS = 16;
constexpr int MOVES_WHEN_UNLIMITED = 10000;  // a period given as 0 moves
constexpr int FIXED_TIME_MOVES = 500;
constexpr int RESIGN_SCORE = -400;

// One time-control period; `fixed_time` is -1 unless the period gives a fixed time per move.
struct TimePeriod {
    double fixed_time;
    double base_time;
    double increment;
    int moves;
};

// Whose clock an interface reports: the engine's own ("time") or its opponent's ("otim").
enum ClockOwner { OWN_CLOCK, OPPONENT_CLOCK };

// A reported clock that waits for the engine's side to be decided.
struct ClockReading {
    bool pending;
    double seconds;
};

// The start-up values give an interface that never sets a time control 40 moves in 300 s.
struct GameControl {
    TimePeriod periods[MAX_PERIODS] = {{-1, 300, 0, 40}};
    int period_count = 1;
    double clock[2] = {300, 300};  // seconds left, by colour
    int engine_side = BLACK;       // whose clock is the engine's
    ClockReading readings[2] = {};  // by ClockOwner, since the last move or side decision
    bool clock_running = false;
    int clock_side = BLACK;
    uint64_t clock_start_us = 0;
    TimeBudget budget = {-1, 0, -1, -1, 0, 0, 0};
    int engine_moves = 0;  // since the new game or the last book move
    bool ponder_enabled = true;
    bool pondering = false;
    Move ponder_move = NULL_MOVE;
    bool force_mode = false;
    bool analyze_mode = false;
    int depth_limit = MAX_ITERATION;
    // Progress printing: the next record to print, and the MultiPV line lists (record indexes).
    int printed_upto = 0;
    int current_lines[MAX_MULTIPV] = {};
    int current_count = 0;
    int previous_lines[MAX_MULTIPV] = {};
    int previous_count = 0;
    int last_printed_iteration = 0;
    // The book move standing in for a search, while it waits to be played.
    bool book_pending = false;
    IterationRecord book_record = {};
    // Periodic status.
    int status_calls = 0;
    uint64_t status_time_us = 0;
    uint64_t status_nodes = 0;
};

extern GameControl game_control;

// The periodic status of a running search, for the protocol's status line.
struct SearchStatus {
    uint64_t nodes;
    uint64_t nodes_per_second;  // over the interval since the previous status
    uint64_t tb_hits;
    uint64_t tt_used;  // transposition-table entries written, summed over the threads
    int max_ply;
    int64_t elapsed_us;
    int iteration;
};

// What the protocol in use says about a search. Any hook may be null: nothing is said.
struct ProtocolHooks {
    // A progress record; `number` is its MultiPV line (1, 2, ...) or 0 without MultiPV.
    void (*print_record)(const IterationRecord& record, int number);
    // The periodic status line.
    void (*print_status)(const SearchStatus& status);
    // The engine's move best.pv[0], played from `before` (the game is already past it, and
    // game_state() tells its state). With `resign` (the score is below RESIGN_SCORE) the move
    // is not played: `before` is the game position.
    void (*send_move)(const Position& before, const IterationRecord& best, bool resign);
};

// Installs the hooks of `protocol` (PROTO_XBOARD, PROTO_UCI or PROTO_DEP).
void set_protocol_hooks(int protocol, const ProtocolHooks& hooks);
// The opening book's answer for a position: a legal move, or NULL_MOVE. Start-up sets it to
// book_select; asked before every search outside analysis.
extern Move (*book_lookup)(const Position& p);

// Stops any search; takes back a ponder move; the engine's clock becomes `side`'s; if `side` is
// to move, budgets and starts a search.
void play_side(int side);

// Periods and clocks.
// Period `index` becomes a base time with increment over `moves` (0: unlimited); the periods
// after it are dropped. Index 0 also sets both clocks to `base` and stops the clock.
void set_period(int index, double base, double increment, int moves);
// A fixed time per move: one period, both clocks reset, clock stopped.
void set_fixed_time(double seconds);
// The period of full-move index `n` (0 for each side's first move) and the index within it.
// Past the last period, the last one repeats.
int find_period(int n, int* index_within);
// Charges the side that has just moved: increments and base times earned, time used; then
// starts that side's next measurement.
void charge_clock(int side);
// The interface's reading of `side`'s clock; a running own search budgets again from it.
void update_clock(int side, double seconds);
// The interface's reading of the engine's own or the opponent's clock. It lands on the colours
// the engine plays now, and moves with them if take_engine_side then gives the engine the other
// colour; a move charged to a clock supersedes it.
void report_clock(ClockOwner owner, double seconds);
// The engine plays `side` in the search that follows; the clock readings go with it.
void take_engine_side(int side);
// Computes the budget for the engine's move in the current position.
void prepare_budget();
// Runs the time allocation on the budget as it stands (clock, moves to go, increment, fixed).
void allocate_budget();

// Runs `n` search threads (1 to MAX_THREADS). Refused while a search runs: the count stays.
void set_threads(int n);

// Searches.
// Starts a search of the game position (book first unless analysing); nothing if one runs or
// the side to move has no legal move.
void game_start_search();
// Stops the running search and logs its statistics; nothing if none runs.
void game_stop_search();
bool game_searching();
// The stop test: STOP_NONE, STOP_AND_PLAY or STOP_FINISHED.
int search_stop_test();
// The current best record, copied into `out`; false when the search has made none.
bool best_record(IterationRecord& out);
// The step after a search whose stop reason is set: stop it, play and send the move, ponder.
void after_search(int stop_reason);
// Prints the records that have arrived since the last call.
void print_progress(int stop_reason);
// The protocol's status line, every 50th call once 500 ms have passed.
void periodic_status();
