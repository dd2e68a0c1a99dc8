#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>
#include <sstream>
#include <string>

#include "board/attacks.h"
#include "board/movegen.h"
#include "board/t_move_basics.h"
#include "board/fen.h"
#include "board/notation.h"
#include "board/result_text.h"
#include "engine_run.h"
#include "protocol_test_support.h"
#include "frontend/dispatch.h"
#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/output.h"
#include "frontend/xboard_arguments.h"
#include "frontend/xboard_output.h"
#include "frontend/xboard_protocol.h"
#include "search/search_driver.h"

namespace {

// --- Argument texts ---------------------------------------------------------------------------

TEST(XboardArguments, LevelInBothFormsAndItsFailures) {
    struct Case {
        const char* text;
        int result, moves;
        double base, increment;
    };
    const Case cases[] = {
        {"40 5 0", 0, 40, 300, 0},
        {"40 5:00 0", 0, 40, 300, 0},
        {"0 2 12", 0, 0, 120, 12},
        {"30 0:30 1.5", 0, 30, 30, 1.5},
        {"40.9 1:05 0", 0, 40, 65, 0},
        {"40 5", -1, 0, 0, 0},
        {"", -1, 0, 0, 0},
        {"forty 5 0", -1, 0, 0, 0},
        // Values no clock can hold are refused rather than handed on.
        {"40 inf 0", -1, 0, 0, 0},
        {"40 5 nan", -1, 0, 0, 0},
        {"-1 5 0", -1, 0, 0, 0},
        {"1e30 5 0", -1, 0, 0, 0},
        {"40 -5 0", -1, 0, 0, 0},
        // Times beyond a year read as a year.
        {"0 1e300 0", 0, 0, MAX_TIME_SECONDS, 0},
        {"40 0:1e300 0", 0, 40, MAX_TIME_SECONDS, 0},
        {"0 5 1e300", 0, 0, 300, MAX_TIME_SECONDS},
    };
    for (const Case& c : cases) {
        LevelArguments level{-7, -7, -7};
        ASSERT_EQ(read_level(c.text, level), c.result) << c.text;
        if (c.result != 0) {
            EXPECT_EQ(level.moves, -7) << c.text;
            continue;
        }
        EXPECT_EQ(level.moves, c.moves) << c.text;
        EXPECT_DOUBLE_EQ(level.base_seconds, c.base) << c.text;
        EXPECT_DOUBLE_EQ(level.increment_seconds, c.increment) << c.text;
    }
}

TEST(XboardArguments, MoveTimeDepthClockAndVersion) {
    struct SecondsCase {
        const char* text;
        int result;
        double seconds;
    };
    const SecondsCase move_times[] = {{"5", 0, 5},        {"0.25", 0, 0.25},
                                      {"inf", 0, 1e10},   {"infinite", 0, 1e10},
                                      {"", -1, 0},        {"soon", -1, 0},
                                      {"-3", -1, 0},      {"nan", -1, 0},
                                      {"5e12", 0, MAX_TIME_SECONDS}};
    for (const SecondsCase& c : move_times) {
        double seconds = -99;
        ASSERT_EQ(read_move_seconds(c.text, seconds), c.result) << c.text;
        EXPECT_DOUBLE_EQ(seconds, c.result == 0 ? c.seconds : -99) << c.text;
    }
    const SecondsCase clocks[] = {
        {"30000", 0, 300}, {"-150", 0, -1.5}, {"", -1, 0}, {"x", -1, 0}, {"inf", -1, 0},
        {"nan", -1, 0},    {"1e308", 0, MAX_TIME_SECONDS}, {"-1e308", 0, -MAX_TIME_SECONDS}};
    for (const SecondsCase& c : clocks) {
        double seconds = -99;
        ASSERT_EQ(read_clock_seconds(c.text, seconds), c.result) << c.text;
        EXPECT_DOUBLE_EQ(seconds, c.result == 0 ? c.seconds : -99) << c.text;
    }
    const std::pair<const char*, int> depths[] = {{"0", 1},   {"", 1},     {"deep", 1}, {"-4", 1},
                                                  {"1", 1},   {"12", 12},  {"63", 63},  {"64", 63},
                                                  {"100", 63}, {"99999999999999999999", 63}};
    for (const auto& [text, depth] : depths) EXPECT_EQ(read_depth_limit(text), depth) << text;
    const std::pair<const char*, bool> versions[] = {
        {"2", true}, {"3", true}, {"1", false}, {"", false}, {"two", false}, {"-2", false}};
    for (const auto& [text, ok] : versions) EXPECT_EQ(is_protocol_version_2(text), ok) << text;
}

TEST(XboardArguments, TypedMoveMatchesSquaresAndPromotionType) {
    init_attack_tables();
    const Move push = make_move_value(square_from_text("e2"), square_from_text("e4"), WPAWN);
    const Move queening =
        make_move_value(square_from_text("e7"), square_from_text("e8"), WPAWN, EMPTY, WQUEEN);
    const Move black_knight =
        make_move_value(square_from_text("a2"), square_from_text("b1"), BPAWN, WKNIGHT, BKNIGHT);
    struct Case {
        const char* text;
        Move move;
        bool same;
    };
    const Case cases[] = {
        {"e2e4", push, true},          {"e2e3", push, false},      {"e2", push, false},
        {"e7e8q", queening, true},     {"e7e8Q", queening, true},  {"e7e8", queening, false},
        {"e7e8n", queening, false},    {"e2e4q", push, false},     {"a2b1n", black_knight, true},
        {"a2b1b", black_knight, false}};
    for (const Case& c : cases) EXPECT_EQ(names_move(c.text, c.move), c.same) << c.text;
}

// --- Commands, in process: the game moves only in force mode, so no search starts ------------

std::string answer(const std::string& lines) { return answer_with(handle_xboard_command, lines); }

class XboardCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_attack_tables(); }
    void SetUp() override { answer("new\nforce\n"); }
};

const char* const FEATURES =
    "feature done=0\nfeature usermove=1\nfeature myname=\"Tarvo Harrow X64\"\n"
    "feature colors=0\nfeature name=1\nfeature playother=1\nfeature ping=1\n"
    "feature setboard=1\nfeature sigint=0\nfeature sigterm=0\nfeature analyze=1\n"
    "feature ics=1\nfeature done=1\n\n";
const char* const SORRY =
    "Sorry, Tarvo requires version 2 of the XBoard protocol.\nNothing will work.\n";

TEST_F(XboardCommands, AnswersOfFeaturesPingAndUnknownCommands) {
    const std::pair<const char*, std::string> cases[] = {
        {"protover 1\n", SORRY},
        {"protover\n", SORRY},
        {"ping 17\n", "pong 17\n"},
        {"xboard\n", "\n\n"},
        {"draw\nname someone\nPING 3\nbogus 1 2\n", ""},
    };
    for (const auto& [lines, expected] : cases) EXPECT_EQ(answer(lines), expected) << lines;
}

TEST_F(XboardCommands, TimeControlsAndDepthLimit) {
    struct Case {
        const char* lines;
        std::string answer;
        TimePeriod period;
        int period_count;
    };
    const Case cases[] = {
        {"level 40 5 0\n", "", {-1, 300, 0, 40}, 1},
        {"level 0 2 12\n", "", {-1, 120, 12, MOVES_WHEN_UNLIMITED}, 1},
        // A level that does not read changes nothing.
        {"level 0 2 12\nlevel 40 5\n", "Couldn't parse level command \"40 5\"\n",
         {-1, 120, 12, MOVES_WHEN_UNLIMITED}, 1},
        // A fixed time keeps the base time and increment of the level before.
        {"level 40 5 0\nst 5\n", "", {5, 300, 0, FIXED_TIME_MOVES}, 1},
        {"level 40 5 0\nst inf\n", "", {INFINITE_MOVE_SECONDS, 300, 0, FIXED_TIME_MOVES}, 1},
        {"level 40 5 0\nst 5\nst never\n", "Couldn't parse time \"never\"\n",
         {5, 300, 0, FIXED_TIME_MOVES}, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(answer(c.lines), c.answer) << c.lines;
        const TimePeriod& p = game_control.periods[0];
        EXPECT_EQ(game_control.period_count, c.period_count) << c.lines;
        EXPECT_DOUBLE_EQ(p.fixed_time, c.period.fixed_time) << c.lines;
        EXPECT_DOUBLE_EQ(p.base_time, c.period.base_time) << c.lines;
        EXPECT_DOUBLE_EQ(p.increment, c.period.increment) << c.lines;
        EXPECT_EQ(p.moves, c.period.moves) << c.lines;
    }
    answer("level 40 5 0\n");
    const std::pair<const char*, int> depths[] = {
        {"sd\n", 1}, {"sd 100\n", MAX_ITERATION}, {"sd 9\n", 9}};
    for (const auto& [line, depth] : depths) {
        EXPECT_EQ(answer(line), "");
        EXPECT_EQ(game_control.depth_limit, depth) << line;
    }
    answer("new\n");
    EXPECT_EQ(game_control.depth_limit, MAX_ITERATION);
    // After "new" the engine's clock is Black's; hundredths of a second, flagged ones included.
    EXPECT_EQ(answer("time 12345\notim -250\ntime soon\notim\n"), "");
    EXPECT_DOUBLE_EQ(game_control.clock[BLACK], 123.45);
    EXPECT_DOUBLE_EQ(game_control.clock[WHITE], -2.5);
}

TEST_F(XboardCommands, UserMovesTheirRefusalsAndPromotions) {
    struct Case {
        const char* lines;
        std::string answer;
        const char* fen_after;  // null: not checked
    };
    const Case cases[] = {
        {"usermove e2\n", "Illegal Move {Move to short/long. Enter moves as e1g1} e2\n", nullptr},
        {"usermove e2e4e5e6e7e8\n",
         "Illegal Move {Move to short/long. Enter moves as e1g1} e2e4e5e6e7e8\n", nullptr},
        {"usermove e2e5\nusermove e7e5\nusermove zz99\n",
         "Illegal Move e2e5\nIllegal Move e7e5\nIllegal Move zz99\n",
         "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        {"usermove e2e4\nusermove e7e5\nusermove g1f3\n", "",
         "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"},
        // A pawn reaching the last rank must say what it becomes.
        {"setboard 8/4P3/8/8/8/8/k7/6K1 w - - 0 1\nusermove e7e8\nusermove e7e8q\n",
         "Illegal Move e7e8\n", "4Q3/8/8/8/8/8/k7/6K1 b - - 0 1"},
        {"setboard 6k1/8/8/8/8/8/P3p3/K7 b - - 0 1\nusermove e2e1n\n", "",
         "6k1/8/8/8/8/8/P7/K3n3 w - - 0 2"},
        // A bad FEN leaves the game as it was.
        {"usermove d2d4\nsetboard 8/8/8 w - - 0 1\nsetboard\n",
         "Couldn't parse fen!\nCouldn't parse fen!\n",
         "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq - 0 1"},
        {"usermove f2f3\nusermove e7e5\nusermove g2g4\nusermove d8h4\nusermove a2a3\n",
         "0-1 {Black mates}\nIllegal Move {Game is already over. Sorry.} a2a3\n", nullptr},
        {"setboard k7/8/8/2Q5/8/8/8/7K w - - 0 1\nusermove c5c7\n", "1/2-1/2 {Stalemate}\n",
         nullptr},
    };
    for (const Case& c : cases) {
        answer("new\nforce\n");
        EXPECT_EQ(answer(c.lines), c.answer) << c.lines;
        if (c.fen_after) {
            EXPECT_EQ(game_fen(), c.fen_after) << c.lines;
        }
    }
}

TEST_F(XboardCommands, UndoAndRemoveTakeBackMoves) {
    const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const std::string after_e4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
    const std::string after_e5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2";
    const std::string after_f4 = "rnbqkbnr/pppp1ppp/8/4p3/4PP2/8/PPPP2PP/RNBQKBNR b KQkq - 0 2";
    const std::pair<const char*, std::string> cases[] = {
        {"undo\n", after_e5},   {"undo x\n", after_e5}, {"undo 2\n", after_e4},
        {"remove\n", after_e4}, {"undo 99\n", start},   {"undo -1\n", after_f4}};
    for (const auto& [line, fen] : cases) {
        answer("new\nforce\nusermove e2e4\nusermove e7e5\nusermove f2f4\n");
        EXPECT_EQ(answer(line), "") << line;
        EXPECT_EQ(game_fen(), fen) << line;
    }
    // A game that was over is in progress again.
    answer("new\nforce\nusermove f2f3\nusermove e7e5\nusermove g2g4\nusermove d8h4\nundo\n");
    EXPECT_EQ(game_state(), RESULT_INCOMPLETE);
}

TEST_F(XboardCommands, ResultOnlyEndsAGameInProgress) {
    const char* const FOOLS_MATE = "usermove f2f3\nusermove e7e5\nusermove g2g4\nusermove d8h4\n";
    answer(std::string(FOOLS_MATE) + "result 1-0 {White mates}\n");
    EXPECT_EQ(game_state(), RESULT_BLACK_MATES);
    const std::pair<const char*, int> results[] = {{"result 1-0 {x}\n", RESULT_WHITE_WINS},
                                                   {"result 0-1\n", RESULT_BLACK_WINS},
                                                   {"result 1/2-1/2 {agreed}\n", RESULT_DRAW},
                                                   {"result * {adjourned}\n", RESULT_INCOMPLETE}};
    for (const auto& [line, state] : results) {
        answer("new\nforce\n");
        EXPECT_EQ(answer(line), "");
        EXPECT_EQ(game_state(), state) << line;
    }
    answer("new\nforce\nresult 0-1\n");
    EXPECT_EQ(answer("usermove e2e4\n"), "Illegal Move {Game is already over. Sorry.} e2e4\n");
}

// --- Commands that start searches, in process ------------------------------------------------

class XboardSearches : public XboardCommands {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        search_threads_start(1);
    }
    static void TearDownTestSuite() { search_threads_stop(); }
    void TearDown() override { answer("exit\nnew\nforce\n"); }
};

// "time" is the engine's own clock and "otim" its opponent's, whatever colour the engine had
// when they came. Each script ends with the engine's own search running.
TEST_F(XboardSearches, TimeAndOtimLandOnTheSideTheEnginePlays) {
    struct Case {
        const char* name;
        const char* lines;
        int engine;
        double own, opponent;
    };
    const Case cases[] = {
        {"White from the start", "level 40 5 0\ntime 500\notim 30000\ngo\n", WHITE, 5, 300},
        {"Black after playing White",
         "level 40 5 0\ntime 30000\notim 500\ngo\nforce\nusermove e2e4\ntime 500\notim 30000\ngo\n",
         BLACK, 5, 300},
        {"go after force in a middle game",
         "level 40 5 0\nforce\nsetboard r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w "
         "KQkq - 4 4\ntime 500\notim 30000\ngo\n",
         WHITE, 5, 300},
        {"playother, then the opponent's move",
         "level 40 5 0\nforce\nusermove e2e4\ntime 500\notim 30000\nplayother\nusermove e7e5\n",
         WHITE, 5, 300},
        {"time during the engine's own search",
         "level 40 5 0\ntime 30000\notim 30000\ngo\ntime 500\n", WHITE, 5, 300},
    };
    for (const Case& c : cases) {
        answer("new\n");
        EXPECT_EQ(answer(c.lines), "") << c.name;
        EXPECT_TRUE(game_searching()) << c.name;
        EXPECT_EQ(game_control.engine_side, c.engine) << c.name;
        EXPECT_NEAR(game_control.clock[c.engine], c.own, 0.01) << c.name;
        EXPECT_NEAR(game_control.clock[c.engine ^ 1], c.opponent, 0.01) << c.name;
        EXPECT_NEAR(game_control.budget.remaining, c.own, 0.01) << c.name;
        // Never more than half the engine's own clock.
        EXPECT_LE(game_control.budget.target_time_us, c.own * 1e6 / 2) << c.name;
        answer("force\n");
    }
}

TEST_F(XboardSearches, AnalysisLeavesThePonderSettingAsItWas) {
    const std::pair<const char*, bool> cases[] = {{"hard\nanalyze\nexit\n", true},
                                                  {"easy\nanalyze\nexit\n", false},
                                                  {"easy\nanalyze\nhard\nexit\n", true}};
    for (const auto& [lines, ponder] : cases) {
        EXPECT_EQ(answer(lines), "") << lines;
        EXPECT_FALSE(game_searching()) << lines;
        EXPECT_FALSE(game_control.analyze_mode) << lines;
        EXPECT_EQ(game_control.ponder_enabled, ponder) << lines;
    }
}

// A variation as long as a line can hold is cut at the limit, still ending the line.
TEST(XboardOutput, ThinkingLineIsCutAtItsLimit) {
    init_attack_tables();
    Position start;
    reset_position(start);
    const Move knights[4] = {make_move_value(6, 21, WKNIGHT), make_move_value(62, 45, BKNIGHT),
                             make_move_value(21, 6, WKNIGHT), make_move_value(45, 62, BKNIGHT)};
    IterationRecord record{};
    record.pv_length = MAX_PV;
    for (int i = 0; i < MAX_PV; ++i) record.pv[i] = knights[i % 4];
    char line[THINKING_LINE_LIMIT + 2];
    EXPECT_EQ(format_thinking_line(line, start, record), THINKING_LINE_LIMIT + 1);
    EXPECT_EQ(std::string(line).find('\n'), size_t(THINKING_LINE_LIMIT));
}

TEST_F(XboardCommands, ThinkingLinesMovesResignationsAndKibitzes) {
    IterationRecord best{};
    best.pv_length = 2;
    best.pv[0] = make_move_value(square_from_text("g1"), square_from_text("f3"), WKNIGHT);
    best.pv[1] = make_move_value(square_from_text("g8"), square_from_text("f6"), BKNIGHT);
    best.score = 37;
    best.iteration = 5;
    best.max_ply = 9;
    best.nodes = 200000;
    best.elapsed_us = 109'999;  // 10.9999 centiseconds show as 10
    const ProtocolHooks hooks = xboard_hooks();
    const Position before = game_position;
    auto think = [&] { hooks.print_record(best, 0); };
    auto move = [&] { hooks.send_move(before, best, false); };
    auto resign = [&] { hooks.send_move(before, best, true); };
    const std::string kibitz_line = "tellics kibitz 0.37 [5/9] 1818 1. Ng1-f3 Ng8-f6 \n";

    answer("nopost\n");
    EXPECT_EQ(said(think), "");
    answer("post\n");
    EXPECT_EQ(said(think), "5 37 10 200000 1. Ng1-f3 Ng8-f6 \n\n");
    answer("nopost\n");
    // Kibitzes only on a chess server, and only at level 3.
    struct Case {
        const char* ics;
        int level;
        bool kibitzes;
    };
    const Case cases[] = {{"ics -\n", 3, false},
                          {"ics freechess.org\n", 3, true},
                          {"ics freechess.org\n", 2, false},
                          {"ics freechess.org\nics -\n", 3, false}};
    for (const Case& c : cases) {
        answer(c.ics);
        kibitz = c.level;
        EXPECT_EQ(said(move), "move g1f3\n" + (c.kibitzes ? kibitz_line : "")) << c.ics;
        EXPECT_EQ(said(resign), "resign\n") << c.ics;
    }
    kibitz = 0;
}

// --- The real binary --------------------------------------------------------------------------

TEST(XboardEngine, PlaysItsMoveAndAnswersInOrder) {
    EngineOutput run = run_engine_script(
        {"xboard\nprotover 2\nnew\nst 0.5\nsd 4\nusermove e2e4\nping 1\n",
         "?\nforce\nping 2\nquit\n"},
        1000);
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.out.rfind(std::string("\n\n") + FEATURES, 0), 0u) << run.out;
    std::string rest = run.out.substr(2 + std::strlen(FEATURES));
    // The engine answers e4 with a black move; nothing else before the pongs, since post is off.
    const std::regex expected("pong 1\nmove [a-h][1-8][a-h][1-8]\n(stat01: [^\n]*\n)*pong 2\n");
    EXPECT_TRUE(std::regex_match(rest, expected)) << rest;
}

// Times no clock could hold still give a move: the engine's own at the depth limit or, with a
// budget of a year, the one "?" asks for once a few iterations have gone by.
TEST(XboardEngine, HugeTimesStillGiveAMove) {
    const char* const starts[] = {
        "st 5e12\nsd 6\ngo\n",
        "level 0 1e300 0\nsd 6\ngo\n",
        "level 40 0:1e300 0\nsd 6\ngo\n",
        "st inf\nsd 6\ngo\n",
        "time 1e308\notim 1e308\nsd 6\nusermove e2e4\n",
        "st 5e12\npost\ngo\n",
        "time 1e308\notim 1e308\npost\nusermove e2e4\n",
    };
    for (const char* start : starts) {
        EngineSession engine;
        engine.send(std::string("xboard\nprotover 2\nnew\neasy\n") + start);
        std::string line;
        if (std::strstr(start, "post")) {
            for (int thinking = 0; thinking < 3;) {
                ASSERT_TRUE(engine.next_line(line, 60)) << start;
                if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) ++thinking;
            }
            engine.send("?\n");
        }
        while (line.rfind("move ", 0) != 0) ASSERT_TRUE(engine.next_line(line, 60)) << start;
        engine.send("quit\n");
        EXPECT_TRUE(engine.exits_within(30)) << start;
    }
}

// Resigning leaves the game as the interface has it: no move made, nothing pondered.
TEST(XboardEngine, ResignLeavesTheGameWhereItWas) {
    EngineSession engine;
    engine.send("xboard\nprotover 2\nforce\nsetboard 7k/8/8/8/3qq3/8/8/K7 w - - 0 1\nsd 2\ngo\n");
    std::string line;
    while (line != "resign") {
        ASSERT_TRUE(engine.next_line(line)) << "no resignation";
        ASSERT_EQ(line.rfind("move ", 0), std::string::npos) << line;
    }
    // White is still to move, and Ka2 is its only move.
    engine.send("force\nusermove d4d8\nusermove a1a2\nping 1\n");
    ASSERT_TRUE(engine.next_line(line));
    EXPECT_EQ(line, "Illegal Move d4d8");
    ASSERT_TRUE(engine.next_line(line));
    EXPECT_EQ(line, "pong 1");
}

// Move `index` (0 for the first) of a thinking line's variation in coordinates ("Ng8-f6" gives
// "g8f6"); empty when the line has fewer moves.
std::string pv_move(const std::string& thinking, int index) {
    std::istringstream words(thinking);
    std::string word;
    for (int field = 0; field < 4 && words >> word;) ++field;
    int moves = 0;
    while (words >> word) {
        if (word.back() == '.') continue;
        if (moves++ < index) continue;
        std::string coordinates;
        for (char c : word) {
            if (c == '=' || c == '!' || c == '[') break;
            unsigned char u = static_cast<unsigned char>(c);
            if (std::islower(u) || std::isdigit(u)) coordinates += c;
        }
        size_t promotion = word.find('=');
        if (promotion != std::string::npos)
            coordinates += char(std::tolower(static_cast<unsigned char>(word[promotion + 1])));
        return coordinates;
    }
    return "";
}

bool is_thinking_line(const std::string& line) {
    return !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]));
}

// Plays a game in which the engine ponders; the replies alternate between the move it ponders
// on and another legal move, so both the hit and the miss must leave the game as the interface
// sees it.
TEST(XboardEngine, PonderHitsAndMissesKeepTheGame) {
    init_attack_tables();
    Position game;
    reset_position(game);
    EngineSession engine;
    engine.send("xboard\nprotover 2\nnew\nhard\npost\nsd 3\nusermove e2e4\n");
    Move e4;
    ASSERT_EQ(parse_move(game, "e2e4", nullptr, &e4), PARSE_OK);
    make_move(game, e4);
    int hits = 0;
    for (int turn = 0; turn < 6; ++turn) {
        std::string line, last_thinking;
        while (line.rfind("move ", 0) != 0) {
            ASSERT_TRUE(engine.next_line(line)) << "no move on turn " << turn;
            ASSERT_EQ(line.find("Illegal"), std::string::npos) << line;
            if (is_thinking_line(line)) last_thinking = line;
        }
        Move move;
        ASSERT_EQ(parse_move(game, line.c_str() + 5, nullptr, &move), PARSE_OK) << line;
        ASSERT_TRUE(is_legal_move(game, move)) << line;
        make_move(game, move);
        std::string reply = pv_move(last_thinking, 1);
        Move list[MAX_MOVES];
        int count = 0;
        gen_legal(game, list, count);
        ASSERT_GT(count, 0);
        Move ours;
        bool hit = turn % 2 == 0 && !reply.empty() &&
                   parse_move(game, reply.c_str(), nullptr, &ours) == PARSE_OK &&
                   is_legal_move(game, ours);
        if (!hit) {
            ours = list[count - 1];
            if (!reply.empty() && names_move(reply.c_str(), ours)) ours = list[0];
        }
        hits += hit;
        char text[8];
        m_sprint(text, game, ours, MTT_COORD);
        engine.send(std::string("usermove ") + text + "\n");
        make_move(game, ours);
    }
    EXPECT_GT(hits, 0);
    engine.send("quit\n");
}

// Analysis follows every position it is given and never plays; thinking lines need "post",
// status lines come either way; after "exit" the engine plays again.
TEST(XboardEngine, AnalysisFollowsThePositionAndEndsOnExit) {
    init_attack_tables();
    const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const char* const KNIGHT_OUT = "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2";
    const char* const AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
    // The side to move changes at every step, so a line from the wrong position cannot pass.
    const std::pair<std::string, const char*> steps[] = {
        {"analyze\n", START},
        {std::string("setboard ") + KNIGHT_OUT + "\n", KNIGHT_OUT},
        {"new\n", START},
        {"usermove e2e4\n", AFTER_E4},
        {"undo\n", START},
    };
    EngineSession engine;
    engine.send("xboard\nprotover 2\nnew\npost\n");
    int pings = 0;
    std::string line;
    // Sends `lines`, then reads up to their pong: what follows comes from what they started.
    auto send_and_pass_pong = [&](const std::string& lines) {
        std::string pong = "pong " + std::to_string(++pings);
        engine.send(lines + "ping " + std::to_string(pings) + "\n");
        while (engine.next_line(line) && line != pong)
            EXPECT_NE(line.rfind("move ", 0), 0u) << line;
        return line == pong;
    };
    for (const auto& [lines, fen] : steps) {
        ASSERT_TRUE(send_and_pass_pong(lines)) << lines;
        do ASSERT_TRUE(engine.next_line(line)) << "no analysis after " << lines;
        while (!is_thinking_line(line));
        Position position;
        ASSERT_EQ(read_fen(position, fen), 0) << fen;
        Move first;
        std::string text = pv_move(line, 0);
        ASSERT_EQ(parse_move(position, text.c_str(), nullptr, &first), PARSE_OK) << line;
        EXPECT_TRUE(is_legal_move(position, first)) << lines << line;
    }
    ASSERT_TRUE(send_and_pass_pong("nopost\nusermove d2d4\n"));
    do ASSERT_TRUE(engine.next_line(line)) << "no status line";
    while (line.rfind("stat01: ", 0) != 0 && !is_thinking_line(line));
    EXPECT_FALSE(is_thinking_line(line)) << line;
    ASSERT_TRUE(send_and_pass_pong("exit\nnew\nsd 2\nusermove e2e4\n"));
    while (line.rfind("move ", 0) != 0) ASSERT_TRUE(engine.next_line(line)) << "no move after exit";
    engine.send("quit\n");
}

}  // namespace
