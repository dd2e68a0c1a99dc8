// Game control: the time allocation, periods and clocks, game states and the game's history.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/result_text.h"
#include "frontend/frontend_state.h"
#include "frontend/game_control.h"
#include "frontend/xboard_arguments.h"
#include "platform/clock.h"
#include "search/search_driver.h"
#include "search/search_options.h"
#include "search/table_sizing.h"

namespace {

class GameControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_attack_tables(); }
    void SetUp() override {
        set_period(0, 300, 0, 40);
        new_game();
    }
};

// Plays moves given as text in the game; returns the state after the last.
int play(const std::vector<std::string>& moves) {
    int state = game_state();
    for (const std::string& text : moves) {
        Move move;
        int consumed;
        EXPECT_EQ(parse_move(game_position, text.c_str(), &consumed, &move), PARSE_OK) << text;
        EXPECT_TRUE(is_legal_move(game_position, move)) << text;
        state = make_game_move(move);
    }
    return state;
}

bool same_position(const Position& a, const Position& b) {
    return a.hash_key == b.hash_key && a.turn == b.turn && a.move_number == b.move_number &&
           std::memcmp(a.board, b.board, sizeof a.board) == 0;
}

TEST(TimeAllocation, WorkedExamplesAndEdges) {
    struct Case {
        const char* name;
        double remaining;
        int moves_to_go;
        double increment, fixed;
        bool ponder;
        int engine_moves;
        double target_s, hard_s;
    };
    const Case cases[] = {
        {"first move, 40 in 300", 300, 40, -1, -1, true, 0, 24.48, 100},
        {"20 s left on move 15", 20, 40, -1, -1, true, 15, 0.255, 20 / 3.0},
        {"fixed 5 s a move", 300, 40, -1, 5, true, 0, 5, 5},
        {"under 6 s: at once", 5, 40, -1, -1, true, 20, 0.001, 5 / 3.0},
        {"under 6 s with increment, capped at half", 5, 40, 2, -1, true, 20, 2.5, 5 / 3.0},
        // Microseconds beyond int64_t would overflow, here and in the stop test's doubling.
        {"fixed time beyond the longest budget", 300, 40, -1, 1e300, true, 0, MAX_BUDGET_SECONDS,
         MAX_BUDGET_SECONDS},
        {"a clock beyond it", 1e300, 40, 1e300, -1, true, 12, MAX_BUDGET_SECONDS,
         MAX_BUDGET_SECONDS},
    };
    for (const Case& c : cases) {
        TimeBudget b{c.moves_to_go, c.remaining, c.increment, c.fixed, 0, 0, 0};
        allocate_time(b, c.ponder, c.engine_moves, 0);
        EXPECT_NEAR(b.target_time_us, c.target_s * 1e6, 1.0) << c.name;
        EXPECT_NEAR(b.hard_limit_us, c.hard_s * 1e6, 1.0) << c.name;
    }
}

TEST_F(GameControlTest, PeriodsRepeatAndRunOn) {
    struct Case {
        bool two_periods;
        int n, period, index;
    };
    // One period of 40 starts over; past the second of two periods the second one starts over.
    const Case cases[] = {{false, 0, 0, 0}, {false, 39, 0, 39}, {false, 40, 0, 0},
                          {false, 85, 0, 5}, {true, 9, 0, 9},   {true, 10, 1, 0},
                          {true, 29, 1, 19}, {true, 30, 1, 0},  {true, 45, 1, 15}};
    for (const Case& c : cases) {
        if (c.two_periods) set_period(0, 60, 0, 10), set_period(1, 30, 0, 20);
        int index;
        EXPECT_EQ(find_period(c.n, &index), c.period) << c.two_periods << " " << c.n;
        EXPECT_EQ(index, c.index) << c.two_periods << " " << c.n;
    }
    set_period(0, 60, 1, 0);
    EXPECT_EQ(game_control.periods[0].moves, MOVES_WHEN_UNLIMITED);
    EXPECT_EQ(game_control.period_count, 1);
}

TEST_F(GameControlTest, MovesToGoIsSetOnceAndCapped) {
    game_control.engine_side = WHITE;
    game_position.move_number = 10;  // White's sixth move: index 5 of 40
    prepare_budget();
    EXPECT_EQ(game_control.budget.moves_to_go, 35);
    game_position.move_number = 30;
    prepare_budget();
    EXPECT_EQ(game_control.budget.moves_to_go, 35);
    set_period(0, 300, 5, 0);  // the whole game: never more than 50
    prepare_budget();
    EXPECT_EQ(game_control.budget.moves_to_go, 50);
    EXPECT_EQ(game_control.budget.increment, 5);
    set_fixed_time(5);
    EXPECT_EQ(game_control.budget.moves_to_go, -1);
    prepare_budget();
    EXPECT_EQ(game_control.budget.target_time_us, 5000000);
}

TEST_F(GameControlTest, ChargeClockAddsIncrementsAndBaseTimes) {
    set_period(0, 60, 2, 2);
    // move_number after White's moves 1, 2, 3: the third begins the second period.
    const double expected[] = {62, 64, 126};
    for (int k = 0; k < 3; ++k) {
        game_position.move_number = 2 * k + 1;
        charge_clock(WHITE);
        EXPECT_NEAR(game_control.clock[WHITE], expected[k], 0.05) << k;
    }
    EXPECT_TRUE(game_control.clock_running);
    EXPECT_EQ(game_control.clock_side, WHITE);
    set_fixed_time(5);  // the period keeps its base time and increment
    EXPECT_FALSE(game_control.clock_running);
    game_position.move_number = 7;
    charge_clock(BLACK);
    EXPECT_NEAR(game_control.clock[BLACK], 60 + 2 + 5, 0.05);
    update_clock(BLACK, 12.5);
    EXPECT_EQ(game_control.clock[BLACK], 12.5);
}

TEST_F(GameControlTest, StatesAfterAMove) {
    struct Case {
        const char* fen;
        const char* move;
        int state;
    };
    const Case cases[] = {
        {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2", "d8h4",
         RESULT_BLACK_MATES},
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", RESULT_WHITE_MATES},
        {"k7/8/8/2Q5/8/8/8/7K w - - 0 1", "c5c7", RESULT_STALEMATE},
        {"k7/8/8/8/8/8/8/K6R w - - 99 80", "h1h2", RESULT_DRAW_FIFTY_MOVES},
        {"k7/8/8/8/8/8/1r6/K1B5 w - - 0 1", "a1b2", RESULT_DRAW_MATERIAL},
        {"k7/8/8/8/8/8/1r6/K1B5 w - - 0 1", "c1d2", RESULT_INCOMPLETE},
        // A minor piece each can still mate with help; bishops all on one colour never can.
        {"k7/8/8/8/8/8/1n6/K1B5 w - - 0 1", "c1d2", RESULT_INCOMPLETE},
        {"k1b5/8/8/8/8/8/1r6/K1B5 w - - 0 1", "a1b2", RESULT_INCOMPLETE},
        {"k2b4/8/8/8/8/8/1r6/K1B5 w - - 0 1", "a1b2", RESULT_DRAW_MATERIAL},
        {"k7/8/8/8/8/8/1r6/KNN5 w - - 0 1", "a1b2", RESULT_INCOMPLETE},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(set_game_fen(c.fen), 0) << c.fen;
        EXPECT_EQ(play({c.move}), c.state) << c.fen;
    }
}

TEST_F(GameControlTest, RepetitionOnTheThirdOccurrence) {
    EXPECT_EQ(play({"g1f3", "g8f6", "f3g1", "f6g8"}), RESULT_INCOMPLETE);
    EXPECT_EQ(play({"g1f3", "g8f6", "f3g1", "f6g8"}), RESULT_DRAW_REPETITION);
    // A pawn move ends what a repetition can reach.
    EXPECT_EQ(play({"e2e4", "g8f6", "g1f3", "f6g8", "f3g1", "g8f6", "g1f3", "f6g8"}),
              RESULT_INCOMPLETE);
}

TEST_F(GameControlTest, LongGameKeepsRoomForTheSearch) {
    Position start = game_position;
    const std::vector<std::string> shuffle = {"b1c3", "b8c6", "c3b1", "c6b8"};
    int state = RESULT_INCOMPLETE;
    for (int round = 0; round < 600; ++round) {
        state = play(shuffle);
        ASSERT_LT(game_position.hist_top, GAME_HISTORY_LIMIT) << round;
    }
    EXPECT_EQ(state, RESULT_DRAW_REPETITION);
    EXPECT_EQ(game_move_count(), 2400);
    // A pawn move, then the shuffle twice more: the repetition test still sees the whole stretch.
    EXPECT_EQ(play({"e2e4"}), RESULT_INCOMPLETE);
    EXPECT_EQ(play({"b8c6", "b1c3", "c6b8", "c3b1", "b8c6", "b1c3", "c6b8", "c3b1"}),
              RESULT_DRAW_REPETITION);
    while (game_move_count() > 0) ASSERT_EQ(take_back(), 0);
    EXPECT_TRUE(same_position(game_position, start));
    EXPECT_EQ(game_position.move_number, 0);
    EXPECT_EQ(take_back(), -1);  // nothing left to take back
}

constexpr Move E2E4 = make_move_value(12, 28, WPAWN);
constexpr Move D2D4 = make_move_value(11, 27, WPAWN);

struct Rec {
    int iteration, score;
    Move move;
    int elapsed_ms;
    bool in_search = false;
};

void append_record(const Rec& r) {
    IterationRecord& out = search_shared.records[search_shared.record_count++];
    out = IterationRecord{};
    out.iteration = r.iteration;
    out.score = r.score;
    out.pv[0] = r.move;
    out.pv_length = 1;
    out.elapsed_us = r.elapsed_ms * 1000;
    out.in_search = r.in_search;
}

constexpr TimeBudget ONE_SECOND_TARGET = {40, 100, -1, -1, 1000000, 1000000, 10000000};

// The stop test over the given records, `elapsed_ms` into a search with the given budget.
int stop_test_over(const std::vector<Rec>& recs, int elapsed_ms, bool trouble, Move candidate,
                   const TimeBudget& budget = ONE_SECOND_TARGET) {
    game_control.budget = budget;
    search_shared.record_count = 0;
    for (const Rec& r : recs) append_record(r);
    search_shared.root_trouble = trouble;
    search_shared.candidate_move = candidate;
    search_shared.start_us = now_us() - uint64_t(elapsed_ms) * 1000;
    int reason = search_stop_test();
    search_shared.record_count = 0;
    search_shared.root_trouble = 0;
    return reason;
}

TEST_F(GameControlTest, StopTest) {
    game_control.depth_limit = 20;
    // Three iterations, the last one with the given score and move, `ms` into the search.
    auto ending = [](int score, Move move, int ms) {
        return std::vector<Rec>{{4, 0, E2E4, 10}, {5, 0, E2E4, 20}, {6, score, move, ms}};
    };
    const std::vector<Rec> steady = ending(0, E2E4, 30), changed = ending(0, D2D4, 30),
                           dropped = ending(-12, E2E4, 30), late = ending(0, E2E4, 700),
                           ahead = {{4, 0, E2E4, 10}, {5, 100, E2E4, 20}, {6, 100, E2E4, 30}};
    struct Case {
        const char* name;
        std::vector<Rec> recs;
        int elapsed_ms;
        bool trouble;
        Move candidate;
        int reason;
    };
    const Case cases[] = {
        {"too few records", {{4, 0, E2E4, 10}, {5, 0, E2E4, 20}}, 9000, false, NULL_MOVE, STOP_NONE},
        {"steady, within twice the target", steady, 1900, false, NULL_MOVE, STOP_NONE},
        {"steady, past twice the target", steady, 2100, false, NULL_MOVE, STOP_AND_PLAY},
        {"new move: twice as long", changed, 3900, false, NULL_MOVE, STOP_NONE},
        {"new move, past it", changed, 4100, false, NULL_MOVE, STOP_AND_PLAY},
        {"score dropped: twice as long", dropped, 3900, false, NULL_MOVE, STOP_NONE},
        {"ahead: half as long again", ahead, 2900, false, NULL_MOVE, STOP_NONE},
        {"ahead, past it", ahead, 3100, false, NULL_MOVE, STOP_AND_PLAY},
        {"the move was expected", steady, 50, false, E2E4, STOP_AND_PLAY},
        {"the last record came late", late, 710, false, NULL_MOVE, STOP_AND_PLAY},
        {"trouble: the hard limit only", steady, 9900, true, NULL_MOVE, STOP_NONE},
        {"trouble past the hard limit", steady, 10100, true, NULL_MOVE, STOP_AND_PLAY},
        {"mate reached", {{5, MATE - 4, E2E4, 10}}, 0, false, NULL_MOVE, STOP_FINISHED},
        {"mate beyond the depth", {{3, MATE - 4, E2E4, 10}}, 0, false, NULL_MOVE, STOP_NONE},
        {"a root move mates", {{5, MATE - 4, E2E4, 10, true}}, 0, false, NULL_MOVE, STOP_FINISHED},
        {"mated, iteration done", {{5, 4 - MATE, E2E4, 10}}, 0, false, NULL_MOVE, STOP_FINISHED},
        {"mated, moves to search", {{5, 4 - MATE, E2E4, 10, true}}, 0, false, NULL_MOVE, STOP_NONE},
        {"depth limit", {{20, 0, E2E4, 10}}, 0, false, NULL_MOVE, STOP_FINISHED},
        {"book move", {{MAX_ITERATION, 0, E2E4, 0}}, 0, false, NULL_MOVE, STOP_FINISHED},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stop_test_over(c.recs, c.elapsed_ms, c.trouble, c.candidate), c.reason) << c.name;
    // A fixed time a move allows twice the target too, however short the clock: it ends at the
    // hard limit, or once a record comes after a third of twice the target. Short of time
    // without it, the search stops at the target itself.
    const TimeBudget fixed_1s = {40, 1, -1, 1, 1000000, 0, 1000000};
    const TimeBudget fixed_5s = {40, 300, -1, 5, 5000000, 0, 5000000};
    const TimeBudget short_of_time = {40, 2, -1, -1, 1000000, 1000000, 10000000};
    const TimeBudget low_clock = {40, 5, -1, -1, 1000000, 1000000, 10000000};
    struct BudgetCase {
        const char* name;
        TimeBudget budget;
        std::vector<Rec> recs;
        int elapsed_ms;
        Move candidate;
        int reason;
    };
    const BudgetCase budget_cases[] = {
        {"st 1: a record at 0.4 s", fixed_1s, ending(0, E2E4, 400), 410, NULL_MOVE, STOP_NONE},
        {"st 1: a record at 0.7 s", fixed_1s, late, 710, NULL_MOVE, STOP_AND_PLAY},
        {"st 1: the hard limit", fixed_1s, steady, 1100, NULL_MOVE, STOP_AND_PLAY},
        {"st 5: a record at 3.3 s", fixed_5s, ending(0, E2E4, 3300), 3310, NULL_MOVE, STOP_NONE},
        {"st 5: a record at 3.4 s", fixed_5s, ending(0, E2E4, 3400), 3410, NULL_MOVE, STOP_AND_PLAY},
        {"st 5: the hard limit", fixed_5s, steady, 5100, NULL_MOVE, STOP_AND_PLAY},
        {"st 5: the expected move goes on", fixed_5s, steady, 50, E2E4, STOP_NONE},
        {"short of time, within the target", short_of_time, steady, 900, NULL_MOVE, STOP_NONE},
        {"short of time, past it", short_of_time, steady, 1100, NULL_MOVE, STOP_AND_PLAY},
        {"a low clock still allows twice the target", low_clock, steady, 1100, NULL_MOVE, STOP_NONE},
    };
    for (const BudgetCase& c : budget_cases)
        EXPECT_EQ(stop_test_over(c.recs, c.elapsed_ms, false, c.candidate, c.budget), c.reason)
            << c.name;
    game_control.pondering = true;
    EXPECT_EQ(stop_test_over(steady, 9000, false, NULL_MOVE), STOP_NONE) << "pondering";
    game_control.pondering = false;
    game_control.depth_limit = MAX_ITERATION;
}

std::vector<std::pair<Move, int>> printed;  // first move and line number of each printed line
void note_line(const IterationRecord& r, int number) { printed.push_back({r.pv[0], number}); }

TEST_F(GameControlTest, MultiPvLinesNewIterationFirst) {
    constexpr Move C2C4 = make_move_value(10, 26, WPAWN);
    frontend.protocol = PROTO_UCI;
    set_protocol_hooks(PROTO_UCI, {note_line, nullptr, nullptr});
    multipv = 3;
    game_control.printed_upto = game_control.current_count = game_control.previous_count = 0;
    game_control.last_printed_iteration = 0;
    const Rec recs[] = {
        {1, 10, E2E4, 1}, {1, 5, D2D4, 2}, {1, 0, C2C4, 3}, {2, 20, D2D4, 4}, {2, 30, C2C4, 5}};
    search_shared.record_count = 0;
    for (const Rec& r : recs) {
        append_record(r);
        printed.clear();
        print_progress(STOP_AND_PLAY);
    }
    // Iteration 2 has searched c4 and d4 so far; e4 comes from iteration 1.
    const std::vector<std::pair<Move, int>> expected = {{C2C4, 1}, {D2D4, 2}, {E2E4, 3}};
    EXPECT_EQ(printed, expected);
    IterationRecord best;
    ASSERT_TRUE(best_record(best));
    EXPECT_EQ(best.pv[0], C2C4);
    search_shared.record_count = 0;
    multipv = 1;
    set_protocol_hooks(PROTO_UCI, {});
    frontend.protocol = PROTO_NONE;
}

// What the protocol was told during and after a search.
struct Told {
    int records;
    int moves;
    Move move;
    bool resign;
    int before_ply;
};
Told told;

void note_record(const IterationRecord&, int) { ++told.records; }
void note_move(const Position& before, const IterationRecord& best, bool resign) {
    ++told.moves;
    told.move = best.pv[0] & MOVE_IDENTITY_MASK;
    told.resign = resign;
    told.before_ply = before.move_number;
}

Move book_e4(const Position& p) { return p.move_number == 0 ? E2E4 : NULL_MOVE; }

// The main loop's watch over a search, until the engine's move is handed over; returns the
// stop reason, or STOP_NONE when none came within ten seconds.
int run_until_handover() {
    for (int turn = 0; turn < 500; ++turn) {
        periodic_status();
        int reason = search_stop_test();
        print_progress(reason);
        IterationRecord best;
        if (reason != STOP_NONE && best_record(best)) {
            after_search(reason);
            return reason;
        }
        sleep_ms(20);
    }
    return STOP_NONE;
}

class EngineMoveTest : public GameControlTest {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        search_threads_start(1);
    }
    static void TearDownTestSuite() { search_threads_stop(); }
    void SetUp() override {
        GameControlTest::SetUp();
        told = Told{};
        frontend.protocol = PROTO_XBOARD;
        set_protocol_hooks(PROTO_XBOARD, {note_record, nullptr, note_move});
    }
    void TearDown() override {
        new_game();
        book_lookup = nullptr;
        game_control.depth_limit = MAX_ITERATION;
        frontend.protocol = PROTO_NONE;
    }
};

TEST_F(EngineMoveTest, NothingToSearchWhenMated) {
    ASSERT_EQ(set_game_fen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"), 0);
    game_control.analyze_mode = true;
    game_start_search();
    game_control.analyze_mode = false;
    EXPECT_FALSE(game_searching());
}

TEST_F(EngineMoveTest, BookMoveIsPlayedAtOnce) {
    book_lookup = book_e4;
    play_side(WHITE);
    EXPECT_TRUE(game_searching());
    EXPECT_EQ(run_until_handover(), STOP_FINISHED);
    EXPECT_EQ(told.moves, 1);
    EXPECT_EQ(told.records, 1);
    EXPECT_EQ(told.move, E2E4);
    EXPECT_EQ(told.before_ply, 0);
    EXPECT_EQ(game_position.move_number, 1);
    EXPECT_EQ(game_control.engine_moves, 1);
    EXPECT_FALSE(game_control.pondering);  // a book line has no reply to ponder on
    EXPECT_FALSE(game_searching());
}

TEST_F(EngineMoveTest, NoBookMoveForAnalysesPonderingOrSearchesWithoutEnd) {
    book_lookup = book_e4;
    for (int kind = 0; kind < 3; ++kind) {
        new_game();
        game_control.analyze_mode = kind == 0;
        game_control.pondering = kind == 1;
        game_control.budget.fixed = kind == 2 ? INFINITE_MOVE_SECONDS : -1;
        game_control.depth_limit = 1;
        game_start_search();
        EXPECT_FALSE(game_control.book_pending) << kind;
        game_stop_search();
    }
    game_control.analyze_mode = game_control.pondering = false;
    game_control.budget.fixed = -1;
}

TEST_F(EngineMoveTest, SearchEndsPlaysAndPonders) {
    struct Case {
        const char* fen;
        int depth_limit;
        double fixed_seconds;  // 0: the clock's budget
        int reason;
        bool resign;
    };
    const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const Case cases[] = {
        {"kq6/r7/8/8/8/8/8/7K w - - 0 1", 3, 0, STOP_FINISHED, true},
        {start, 4, 0, STOP_FINISHED, false},
        {start, MAX_ITERATION, 0.3, STOP_AND_PLAY, false},
    };
    for (const Case& c : cases) {
        new_game();
        told = Told{};
        ASSERT_EQ(set_game_fen(c.fen), 0);
        int ply = game_position.move_number;
        game_control.depth_limit = c.depth_limit;
        if (c.fixed_seconds > 0) set_fixed_time(c.fixed_seconds);
        play_side(WHITE);
        uint64_t start = now_us();
        EXPECT_EQ(run_until_handover(), c.reason) << c.fen;
        // A fixed time ends the search at the time, or once a record comes after two thirds of it.
        if (c.fixed_seconds > 0) {
            EXPECT_GE(now_us() - start, uint64_t(c.fixed_seconds * 1e6 * 2 / 3));
        }
        EXPECT_EQ(told.moves, 1) << c.fen;
        EXPECT_EQ(told.before_ply, ply) << c.fen;
        EXPECT_EQ(told.resign, c.resign) << c.fen;
        EXPECT_GT(told.records, 0) << c.fen;
        if (c.resign) {
            // Resigning plays nothing: the game stays as the interface has it.
            EXPECT_FALSE(game_control.pondering) << c.fen;
            EXPECT_FALSE(game_searching()) << c.fen;
            EXPECT_EQ(game_position.move_number, ply) << c.fen;
            EXPECT_EQ(game_control.engine_moves, 0) << c.fen;
            continue;
        }
        // On a loaded machine a short fixed time may end at depth 1, with no reply to ponder on.
        if (c.fixed_seconds > 0 && !game_control.pondering) {
            EXPECT_EQ(game_position.move_number, ply + 1) << c.fen;
            continue;
        }
        // The engine's move and the expected reply are on the board; the ponder search runs.
        EXPECT_TRUE(game_control.pondering) << c.fen;
        EXPECT_TRUE(game_searching()) << c.fen;
        EXPECT_EQ(game_position.move_number, ply + 2) << c.fen;
        play_side(BLACK);  // switching sides ends pondering and takes the reply back
        EXPECT_FALSE(game_control.pondering) << c.fen;
        EXPECT_EQ(game_position.move_number, ply + 1) << c.fen;
    }
}

TEST_F(EngineMoveTest, ThreadCountChangesOnlyBetweenSearches) {
    set_threads(3);
    EXPECT_EQ(search_thread_count(), 3);
    // The added threads start, take their tables and park; the engine still finds the mate.
    ASSERT_EQ(set_game_fen("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1"), 0);
    game_control.depth_limit = 3;
    play_side(WHITE);
    EXPECT_EQ(run_until_handover(), STOP_FINISHED);
    EXPECT_EQ(told.move, make_move_value(0, 56, WROOK));
    game_stop_search();

    new_game();
    game_control.analyze_mode = true;
    game_start_search();
    ASSERT_TRUE(game_searching());
    set_threads(1);
    EXPECT_EQ(search_thread_count(), 3);  // refused while the search runs
    set_threads(512 + 1);
    EXPECT_EQ(search_thread_count(), 3);
    game_stop_search();
    game_control.analyze_mode = false;

    set_threads(0);  // below the range: one thread
    EXPECT_EQ(search_thread_count(), 1);
    set_threads(2);
    set_threads(1);
    EXPECT_EQ(search_thread_count(), 1);
}

// "?" with many more search threads than cores: every thread stops and the move is legal.
TEST_F(EngineMoveTest, MoveNowStopsManyMoreThreadsThanCores) {
    const TableSizes sizes{hash_size, khash_size, phash_size};
    hash_size = 1 << 20, khash_size = 1 << 18, phash_size = 1 << 16;
    set_threads(64);
    set_fixed_time(60);
    Position before = game_position;
    play_side(WHITE);
    sleep_ms(300);
    // "?" as the main loop handles it, once the search has a move to play.
    IterationRecord best;
    while (!best_record(best)) sleep_ms(20);
    after_search(STOP_AND_PLAY);
    EXPECT_EQ(told.moves, 1);
    EXPECT_TRUE(is_legal_move(before, told.move));
    game_stop_search();
    hash_size = sizes.hash, khash_size = sizes.khash, phash_size = sizes.phash;
    set_threads(1);
    EXPECT_EQ(search_thread_count(), 1);
}

}  // namespace
