// Searches as game control runs them: start and stop, the stop test, the progress the
// protocol prints, and the engine's move once a search has ended.
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/result_text.h"
#include "common/log.h"
#include "common/score_text.h"
#include "frontend/frontend_state.h"
#include "frontend/game_control.h"
#include "frontend/xboard_arguments.h"
#include "platform/clock.h"
#include "search/root.h"
#include "search/search_driver.h"
#include "search/search_options.h"

namespace {

constexpr int64_t QUIET_START_US = 500000;  // no progress lines before this
constexpr int STATUS_EVERY = 50;
constexpr int MIN_RECORDS_FOR_TIME = 3;

ProtocolHooks hooks[4];

const ProtocolHooks& current_hooks() { return hooks[std::clamp(frontend.protocol, 0, 3)]; }

// The newest records of the running search. Records below `record_count` are never rewritten
// during a search, so they are read without the lock once counted.
int record_count() {
    std::lock_guard<std::mutex> hold(search_shared.output_lock);
    return search_shared.record_count;
}

const IterationRecord& record(int i) { return search_shared.records[i]; }

// A mate the iteration has reached ends the search. A root move found mated does so only once its
// iteration is done: the moves still to be searched may escape.
bool is_mate_reached(const IterationRecord& r) {
    if (r.score > MATE_BOUND) return r.iteration >= MATE - r.score;
    return r.score < -MATE_BOUND && !r.in_search && r.iteration >= r.score + MATE;
}

bool fixed_time() { return game_control.budget.fixed != -1; }

// Below 6 s the time allocation targets only the increment, and a search allowed twice its
// target drains the clock a little on every move until fast games are lost on time. Below this
// the drain stops: the search ends at its target.
constexpr double SHORT_OF_TIME_SECONDS = 3.0;

// Whether the time spent says stop, with `count` records made (at least one).
bool time_says_stop(int count, bool root_trouble, int64_t elapsed) {
    const TimeBudget& b = game_control.budget;
    if (root_trouble) return elapsed > b.hard_limit_us;
    const IterationRecord& newest = record(count - 1);
    int previous = count - 2;
    while (previous >= 0 && record(previous).iteration == newest.iteration) --previous;
    double factor = 1.0;
    if (previous >= 0) {
        const IterationRecord& before = record(previous);
        if ((before.pv[0] & MOVE_IDENTITY_MASK) != (newest.pv[0] & MOVE_IDENTITY_MASK))
            factor = 2.0;
        if (newest.score <= before.score - 12) factor = 2.0;
    }
    int s = newest.score;
    if (s >= 75 && s <= 400)
        factor = std::max(factor, 1.5);
    else if (s <= -40 || s >= 50)
        factor = std::max(factor, 1.25);
    // Short of time the search ends at its target; a fixed time a move is never short of time,
    // since its hard limit is that time.
    const int stretch = b.remaining < SHORT_OF_TIME_SECONDS && !fixed_time() ? 1 : 2;
    int64_t limit = stretch * int64_t(double(b.target_time_us) * factor);
    if (elapsed > limit) return true;
    if ((newest.pv[0] & MOVE_IDENTITY_MASK) ==
            (search_shared.candidate_move & MOVE_IDENTITY_MASK) &&
        !fixed_time())
        return true;
    if (newest.elapsed_us > limit / 3) return true;
    return elapsed > b.hard_limit_us;
}

// The record's line in the log: the move or line in long algebraic form, then the numbers.
void log_record(const IterationRecord& r) {
    const Position& root = game_position;  // the game does not move while its search runs
    static char line[32 * MAX_PV];
    if (r.in_search)
        std::snprintf(line, sizeof line, "1%s%s!!", root.turn == WHITE ? ". " : " ...",
                      move_text(r.pv[0]));
    else
        write_move_list(line, root, r.pv, r.pv_length, MTT_LONG, true);
    int64_t us = std::max<int64_t>(r.elapsed_us, 0);
    int64_t hundredths = us / 10000;
    log_print(
        "%s\n = (%s)\tDepth: %d/%d\t%02d:%02d:%02d.%02d\t%dkN (%.0f KN/s, %d splits, %d aborts)\n",
        line, score_text(r.score, true, true, root.turn), r.iteration, r.max_ply,
        int(hundredths / 360000), int(hundredths / 6000 % 60), int(hundredths / 100 % 60),
        int(hundredths % 100), int(r.nodes / 1000),
        us > 0 ? double(r.nodes) * 1000.0 / double(us) : 0.0, int(r.splits), int(r.aborts));
}

void print_one(const IterationRecord& r, int number) {
    if (r.iteration < -19) return;
    if (current_hooks().print_record) current_hooks().print_record(r, number);
    log_record(r);
}

Move first_move(int index) { return record(index).pv[0] & MOVE_IDENTITY_MASK; }

// Files record `index` into the current MultiPV lines, best score first.
void file_line(int index) {
    GameControl& g = game_control;
    const IterationRecord& r = record(index);
    if (r.iteration > g.last_printed_iteration) {
        std::copy(g.current_lines, g.current_lines + g.current_count, g.previous_lines);
        g.previous_count = g.current_count;
        g.current_count = 0;
    }
    g.last_printed_iteration = r.iteration;
    int slot = 0;
    while (slot < g.current_count && first_move(g.current_lines[slot]) != first_move(index)) ++slot;
    int room = std::clamp(multipv, 1, MAX_MULTIPV);
    if (slot == g.current_count)
        slot = g.current_count < room ? g.current_count++ : g.current_count - 1;
    g.current_lines[slot] = index;
    for (; slot > 0 && record(g.current_lines[slot - 1]).score < r.score; --slot)
        std::swap(g.current_lines[slot], g.current_lines[slot - 1]);
}

void print_lines() {
    const GameControl& g = game_control;
    int number = 0;
    for (int i = 0; i < g.current_count; ++i) print_one(record(g.current_lines[i]), ++number);
    for (int i = 0; i < g.previous_count && number < multipv; ++i) {
        Move m = first_move(g.previous_lines[i]);
        bool shown = std::any_of(g.current_lines, g.current_lines + g.current_count,
                                 [&](int c) { return first_move(c) == m; });
        if (!shown) print_one(record(g.previous_lines[i]), ++number);
    }
}

// Where the first printing of a search begins: the newest iteration (two with MultiPV).
int first_to_print(int count) {
    int floor = record(count - 1).iteration - (multipv > 1 ? 1 : 0);
    int from = count - 1;
    while (from > 0 && record(from - 1).iteration >= floor) --from;
    return from;
}

// A mated or stalemated game position leaves nothing to search.
bool has_legal_move() {
    Move list[MAX_MOVES];
    int count = 0;
    gen_legal(game_position, list, count);
    return count > 0;
}

bool legal_in_game(Move move) { return move != NULL_MOVE && is_legal_move(game_position, move); }

// The ponder search on the opponent's expected reply, when it is a legal move that leaves the
// game going.
void start_pondering(Move reply) {
    if (!legal_in_game(reply)) return;
    game_control.ponder_move = reply;
    if (make_game_move(reply) != RESULT_INCOMPLETE) {
        take_back();
        return;
    }
    game_control.pondering = true;
    game_start_search();
}

void play_best(const IterationRecord& best) {
    Move move = best.pv[0] & MOVE_IDENTITY_MASK;
    if (!legal_in_game(move)) {
        log_print("after_search():         the best move %s is not legal here\n", move_text(move));
        return;
    }
    if (frontend.protocol == PROTO_XBOARD && best.score < RESIGN_SCORE) {
        // The interface ends the game on "resign": its board, and ours, stay as they are.
        if (current_hooks().send_move) current_hooks().send_move(game_position, best, true);
        return;
    }
    static Position before;
    before = game_position;
    make_game_move(move);
    // Under UCI the interface keeps the clocks and sends them with each "go"; charging the
    // engine's own clock there, opponent's time included, drained the fallback of a "go"
    // without clocks until such searches stopped at once.
    if (frontend.protocol != PROTO_UCI) charge_clock(game_control.engine_side);
    ++game_control.engine_moves;
    if (current_hooks().send_move) current_hooks().send_move(before, best, false);
    if (game_control.ponder_enabled && frontend.protocol != PROTO_UCI && best.pv_length >= 2 &&
        game_state() == RESULT_INCOMPLETE)
        start_pondering(best.pv[1] & MOVE_IDENTITY_MASK);
}

// The book move as a finished search would report it: the stop test ends it at once. Searches
// that must go on until they are stopped (analyses, UCI "go infinite") take no book move, nor
// do ponder searches: their answer is asked for after the opponent's move, when a book move
// standing in for them would be gone and an older search's move would take its place.
bool start_from_book() {
    const GameControl& g = game_control;
    if (g.analyze_mode || g.pondering || g.budget.fixed >= INFINITE_MOVE_SECONDS || !book_lookup)
        return false;
    Move move = book_lookup(game_position);
    // The move came from a file: the game never takes one that is not legal.
    if (move == NULL_MOVE || !is_legal_move(game_position, move)) return false;
    IterationRecord& r = game_control.book_record;
    r = IterationRecord{};
    r.pv[0] = move;
    r.pv_length = 1;
    r.iteration = MAX_ITERATION;
    r.max_ply = MAX_ITERATION;
    game_control.book_pending = true;
    game_control.engine_moves = 0;
    return true;
}

}  // namespace

Move (*book_lookup)(const Position& p) = nullptr;

void set_protocol_hooks(int protocol, const ProtocolHooks& protocol_hooks) {
    if (protocol >= PROTO_XBOARD && protocol <= PROTO_DEP) hooks[protocol] = protocol_hooks;
}

void game_start_search() {
    if (game_searching() || !has_legal_move()) return;
    GameControl& g = game_control;
    g.printed_upto = 0;
    g.current_count = g.previous_count = 0;
    g.last_printed_iteration = 0;
    g.status_calls = 0;
    g.status_nodes = 0;
    log_print("\n\n");
    frontend.stop_reason = STOP_NONE;
    if (start_from_book()) return;
    start_search(game_position, g.depth_limit);
    g.status_time_us = search_shared.start_us;
}

void game_stop_search() {
    if (game_control.book_pending)
        game_control.book_pending = false;
    else if (game_searching())
        stop_search();
}

bool game_searching() { return game_control.book_pending || search_shared.searching.load() != 0; }

int search_stop_test() {
    if (game_control.book_pending) return STOP_FINISHED;
    int count;
    bool root_trouble;
    {
        std::lock_guard<std::mutex> hold(search_shared.output_lock);
        count = search_shared.record_count;
        root_trouble = search_shared.root_trouble != 0;
    }
    if (count == 0) return STOP_NONE;
    const IterationRecord& newest = record(count - 1);
    int d = newest.iteration;
    bool last_iteration_done = !newest.in_search && d >= game_control.depth_limit;
    if (d >= MAX_ITERATION || last_iteration_done) return STOP_FINISHED;
    if (!game_control.analyze_mode && !fixed_time() && is_mate_reached(newest))
        return STOP_FINISHED;
    if (game_control.pondering || game_control.analyze_mode || count < MIN_RECORDS_FOR_TIME)
        return STOP_NONE;
    int64_t elapsed = int64_t(now_us() - search_shared.start_us);
    return time_says_stop(count, root_trouble, elapsed) ? STOP_AND_PLAY : STOP_NONE;
}

bool best_record(IterationRecord& out) {
    const GameControl& g = game_control;
    if (g.book_pending) {
        out = g.book_record;
        return true;
    }
    int count = record_count();
    if (count == 0) return false;
    int index = count - 1;
    if (multipv > 1 && g.current_count > 0)
        index = g.current_lines[0];
    else if (multipv > 1 && g.previous_count > 0)
        index = g.previous_lines[0];
    out = record(index);
    return true;
}

void after_search(int stop_reason) {
    static IterationRecord best;
    bool have_best = best_record(best);
    game_stop_search();
    if (!have_best) return;
    if (game_control.pondering) {
        if (frontend.protocol == PROTO_UCI && stop_reason != STOP_FINISHED) {
            if (current_hooks().send_move) current_hooks().send_move(game_position, best, false);
            game_control.pondering = false;
            take_back();
        }
        return;
    }
    if (game_control.analyze_mode || game_state() != RESULT_INCOMPLETE || stop_reason == STOP_QUIT)
        return;
    play_best(best);
}

void print_progress(int stop_reason) {
    GameControl& g = game_control;
    if (g.book_pending) {
        if (g.printed_upto++ == 0) print_one(g.book_record, 0);
        return;
    }
    int count = record_count();
    if (count == 0) return;
    if (g.printed_upto == 0) {
        if (now_us() - search_shared.start_us < QUIET_START_US && stop_reason == STOP_NONE) return;
        g.printed_upto = first_to_print(count);
    }
    for (; g.printed_upto < count; ++g.printed_upto) {
        if (multipv > 1) {
            file_line(g.printed_upto);
            print_lines();
        } else {
            print_one(record(g.printed_upto), 0);
        }
    }
}

void periodic_status() {
    GameControl& g = game_control;
    if (g.book_pending || ++g.status_calls % STATUS_EVERY != 0) return;
    uint64_t now = now_us();
    if (now - search_shared.start_us < QUIET_START_US) return;
    SearchStats stats = sum_thread_stats();
    SearchStatus status{};
    status.nodes = stats.nodes;
    uint64_t interval = std::max<uint64_t>(now - g.status_time_us, 1);
    status.nodes_per_second = (stats.nodes - g.status_nodes) * 1000000 / interval;
    status.tb_hits = stats.tb_hits;
    status.tt_used = stats.tt_used;
    status.max_ply = stats.seldepth;
    status.elapsed_us = int64_t(now - search_shared.start_us);
    status.iteration = search_shared.iteration.load();
    g.status_time_us = now;
    g.status_nodes = stats.nodes;
    if (current_hooks().print_status) current_hooks().print_status(status);
}
