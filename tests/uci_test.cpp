#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <sstream>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/result_text.h"
#include "board/t_move_basics.h"
#include "engine_run.h"
#include "protocol_test_support.h"
#include "frontend/dispatch.h"
#include "frontend/frontend_state.h"
#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/output.h"
#include "frontend/uci_arguments.h"
#include "frontend/uci_output.h"
#include "frontend/uci_protocol.h"
#include "frontend/xboard_arguments.h"
#include "search/search_driver.h"

namespace {

// --- Argument texts ---------------------------------------------------------------------------

TEST(UciArguments, GoReadsTheSideToMovesClockAndCutsWhatNoClockCanHold) {
    struct Case {
        const char* text;
        int side;
        GoArguments expected;
    };
    auto with = [](auto change) {
        GoArguments go;
        change(go);
        return go;
    };
    const Case cases[] = {
        {"", WHITE, GoArguments{}},
        {"wtime 60000 btime 1000", BLACK, with([](GoArguments& g) { g.has_remaining = true, g.remaining = 1; })},
        {"wtime 60000 btime 1000 winc 500 binc 250", WHITE,
         with([](GoArguments& g) { g.has_remaining = true, g.remaining = 60, g.increment = 0.5; })},
        {"btime 2500.5 binc 100 movestogo 12", BLACK,
         with([](GoArguments& g) { g.has_remaining = true, g.remaining = 2.5005, g.increment = 0.1, g.moves_to_go = 12; })},
        // No moves left to the control still leaves this one.
        {"movestogo 0", WHITE, with([](GoArguments& g) { g.moves_to_go = 1; })},
        {"movestogo -7", WHITE, with([](GoArguments& g) { g.moves_to_go = 1; })},
        {"wtime -1500", WHITE, with([](GoArguments& g) { g.has_remaining = true, g.remaining = -1.5; })},
        {"wtime 1e300", WHITE, with([](GoArguments& g) { g.has_remaining = true, g.remaining = MAX_TIME_SECONDS; })},
        {"wtime -1e300", WHITE, with([](GoArguments& g) { g.has_remaining = true, g.remaining = -MAX_TIME_SECONDS; })},
        {"wtime nan wtime inf wtime soon", WHITE, GoArguments{}},
        {"movetime 2500", WHITE, with([](GoArguments& g) { g.fixed = 2.5; })},
        {"movetime -5", WHITE, with([](GoArguments& g) { g.fixed = 0; })},
        {"depth 0", WHITE, with([](GoArguments& g) { g.depth_limit = 1; })},
        {"depth 7", WHITE, with([](GoArguments& g) { g.depth_limit = 7; })},
        {"depth 900", WHITE, with([](GoArguments& g) { g.depth_limit = 63; })},
        {"infinite", WHITE, with([](GoArguments& g) { g.infinite = true; })},
        {"ponder wtime 3000 btime 4000", WHITE,
         with([](GoArguments& g) { g.ponder = true, g.has_remaining = true, g.remaining = 3; })},
        // Values that are not used are still passed over, and never taken for a parameter.
        {"nodes 5000 mate 3 depth 4", WHITE, with([](GoArguments& g) { g.depth_limit = 4; })},
        {"nodes depth 4", WHITE, GoArguments{}},
        {"searchmoves e2e4 d2d4 depth 2", WHITE, with([](GoArguments& g) { g.depth_limit = 2; })},
        {"depth", WHITE, GoArguments{}},
    };
    for (const Case& c : cases) {
        GoArguments go;
        read_go_arguments(c.text, c.side, go);
        const GoArguments& e = c.expected;
        EXPECT_EQ(go.ponder, e.ponder) << c.text;
        EXPECT_EQ(go.infinite, e.infinite) << c.text;
        EXPECT_EQ(go.has_remaining, e.has_remaining) << c.text;
        EXPECT_DOUBLE_EQ(go.remaining, e.remaining) << c.text;
        EXPECT_DOUBLE_EQ(go.increment, e.increment) << c.text;
        EXPECT_EQ(go.moves_to_go, e.moves_to_go) << c.text;
        EXPECT_EQ(go.depth_limit, e.depth_limit) << c.text;
        EXPECT_DOUBLE_EQ(go.fixed, e.fixed) << c.text;
    }
}

TEST(UciArguments, SetoptionNameAndValue) {
    struct Case {
        const char* text;
        int result;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"name Hash value 256", 0, "Hash", "256"},
        {"name   Enable Null Move   value  false ", 0, "Enable Null Move", "false"},
        {"name Clear Hash Tables", 0, "Clear Hash Tables", "0"},
        {"name NalimovPath value /usr/share/my tables", 0, "NalimovPath", "/usr/share/my tables"},
        {"name", 0, "", "0"},
        {"Hash value 256", -1, "", ""},
        {"value 256 name Hash", -1, "", ""},
        {"", -1, "", ""},
    };
    for (const Case& c : cases) {
        char name[64] = "", value[64] = "";
        ASSERT_EQ(read_setoption(c.text, name, value, sizeof name), c.result) << c.text;
        if (c.result != 0) continue;
        EXPECT_STREQ(name, c.name) << c.text;
        EXPECT_STREQ(value, c.value) << c.text;
    }
    char name[8], value[8];
    ASSERT_EQ(read_setoption("name NalimovPath value /a/long/path", name, value, sizeof name), 0);
    EXPECT_STREQ(name, "Nalimov");
    EXPECT_STREQ(value, "/a/long");
}

// --- What the engine says ---------------------------------------------------------------------

Move coordinates(Position& p, const char* text) {
    Move move = NULL_MOVE;
    EXPECT_EQ(parse_move(p, text, nullptr, &move), PARSE_OK) << text;
    return move;
}

TEST(UciOutput, InfoLinesScoresAndHashFill) {
    init_attack_tables();
    reset_game_position();
    IterationRecord record{};
    record.iteration = 7;
    record.max_ply = 15;
    record.elapsed_us = 1'239'999;
    record.nodes = 400000;
    record.pv_length = 2;
    record.pv[0] = coordinates(game_position, "e2e4");
    record.pv[1] = make_move_value(square_from_text("e7"), square_from_text("e5"), BPAWN);
    struct Case {
        int score, number;
        const char* line;
    };
    const Case cases[] = {
        {35, 0, "info depth 7 seldepth 15 score cp 35  time 1239 nodes 400000 nps 322581 tbhits 0 pv e2e4 e7e5 \n"},
        {-120, 2, "info multipv 2 depth 7 seldepth 15 score cp -120  time 1239 nodes 400000 nps 322581 tbhits 0 pv e2e4 e7e5 \n"},
        {9995, 0, "info depth 7 seldepth 15 score mate 3 time 1239 nodes 400000 nps 322581 tbhits 0 pv e2e4 e7e5 \n"},
        {9999, 1, "info multipv 1 depth 7 seldepth 15 score mate 1 time 1239 nodes 400000 nps 322581 tbhits 0 pv e2e4 e7e5 \n"},
        {-9996, 0, "info depth 7 seldepth 15 score mate -2 time 1239 nodes 400000 nps 322581 tbhits 0 pv e2e4 e7e5 \n"},
        {9499, 0, "info depth 7 seldepth 15 score cp 9499  time 1239 nodes 400000 nps 322581 tbhits 0 pv e2e4 e7e5 \n"},
    };
    char line[UCI_LINE_SIZE];
    for (const Case& c : cases) {
        record.score = c.score;
        EXPECT_EQ(format_uci_info(line, record, c.number), int(std::strlen(c.line))) << c.score;
        EXPECT_STREQ(line, c.line);
    }
    record.score = 0;
    record.elapsed_us = 0;
    format_uci_info(line, record, 0);
    EXPECT_NE(std::strstr(line, " time 0 nodes 400000 nps 0 "), nullptr) << line;
    // 16 bytes a slot; writes over written slots must not take it past full.
    const std::pair<uint64_t, int> fills[] = {{0, 0}, {16, 250}, {64, 1000}, {1000, 1000}};
    for (const auto& [written, permille] : fills)
        EXPECT_EQ(hash_permille(written, 1024), permille) << written;
    EXPECT_EQ(hash_permille(10, 0), 0);
}

TEST(UciOutput, BestmoveNamesAPonderMoveOnlyWhenItIsLegal) {
    init_attack_tables();
    reset_game_position();
    static IterationRecord best{};
    best.pv_length = 2;
    best.pv[0] = coordinates(game_position, "g1f3");
    best.pv[1] = make_move_value(square_from_text("g8"), square_from_text("f6"), BKNIGHT);
    EXPECT_EQ(said([] { send_bestmove(game_position, &best); }), "bestmove g1f3 ponder g8f6\n");
    best.pv[1] = make_move_value(square_from_text("d8"), square_from_text("d5"), BQUEEN);
    EXPECT_EQ(said([] { send_bestmove(game_position, &best); }), "bestmove g1f3\n");
    best.pv_length = 1;
    EXPECT_EQ(said([] { send_bestmove(game_position, &best); }), "bestmove g1f3\n");
    EXPECT_EQ(said([] { send_bestmove(game_position, nullptr); }), "bestmove a1a1\n");
}

// --- Commands, in process ---------------------------------------------------------------------

std::string answer(const std::string& lines) { return answer_with(handle_uci_command, lines); }

const char* const IDENTIFICATION =
    "id name Tarvo Harrow X64\n"
    "id author the Tarvo developers\n"
    "option name MultiPV type spin default 1 min 1 max 127\n"
    "option name NalimovPath type string default /usr/share/gaviotatb/gtb4\n"
    "option name NalimovCache type spin default 8 min 0 max 128\n"
    "option name UCI_ShowCurrLine type check default false\n"
    "option name Hash type spin default 128 min 4 max 16384\n"
    "option name Clear Hash Tables type button\n"
    "option name Threads type spin default 1 min 1 max 512\n"
    "option name TB Min Depth type spin default 4 min 1 max 128\n"
    "option name Enable Null Move type check default true\n"
    "option name Enable History Pruning type check default true\n"
    "option name Enable Singular Extensions type check default true\n"
    "option name Singular Margin type spin default 75 min 25 max 100\n"
    "option name Singular Margin PV type spin default 50 min 25 max 100\n"
    "option name Enable Mate Extensions type check default false\n"
    "option name Enable Deep PVs type check default false\n"
    "option name Eval Passed Pawn Scoring type spin default 100 min 0 max 500\n"
    "option name Eval Pawn Scoring type spin default 100 min 0 max 500\n"
    "option name Eval Minor Scoring type spin default 100 min 0 max 500\n"
    "option name Eval Major Scoring type spin default 100 min 0 max 500\n"
    "option name Eval Kingsafety Scoring type spin default 100 min 0 max 500\n"
    "option name Smooth Mobility type check default false\n"
    "option name Internet Lag type spin default 0 min 0 max 30000\n"
    "option name Ponder type check default false\n"
    "uciok\n";

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const BAD_FORMAT =
    "handle_uci_command():0 Bad format for option. \"name\" or \"value\" tag not found.\n";

class UciCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        search_threads_start(1);
    }
    static void TearDownTestSuite() { search_threads_stop(); }
    void SetUp() override { answer("ucinewgame\n"); }
    void TearDown() override { answer("ucinewgame\n"); }
};

// Every answer the commands give without a search, and the positions they leave. The moves of
// "position" are set-up moves: the ply counter and the game state stay as they were.
TEST_F(UciCommands, AnswersAndPositions) {
    struct Case {
        const char* lines;
        std::string answer;
        const char* fen_after;  // null: not checked
    };
    const Case cases[] = {
        {"uci\n", IDENTIFICATION, START},
        {"isready\n", "readyok\n", nullptr},
        {"debug on\nregister later\nstop\nponderhit\nUCI\n", "", START},
        {"position startpos moves e2e4 e7e5\n", "",
         "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 1"},
        {"position startpos moves f2f3 e7e5 g2g4 d8h4\n", "",
         "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 1"},
        {"position fen 4k3/8/8/8/8/8/8/R3K3 w Q - 3 40 moves e1c1 e8e7\n", "",
         "8/4k3/8/8/8/8/8/2KR4 w - - 5 40"},
        {"position fen 4k3/8/8/8/8/8/8/R3K3 w Q -\n", "", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1"},
        // Moves that are not legal are refused; those before them stay made.
        {"position startpos moves e2e4 e7e5 a1a3 g1f3\n", "Couldn't parse move a1a3\n",
         "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 1"},
        {"position startpos moves e2e4 f7f6 d1h5 e8f7\n", "Couldn't parse move e8f7\n",
         "rnbqkbnr/ppppp1pp/5p2/7Q/4P3/8/PPPP1PPP/RNB1KBNR b KQkq - 1 1"},
        {"position fen 4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1 moves e2d3\n",
         "Couldn't parse move e2d3\n", "4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1"},
        {"position startpos moves e2e4 xyz\n", "Couldn't parse move xyz\n", nullptr},
        {"position fen 8/8/8 w - - 0 1\n", "Couldn't parse FEN fen 8/8/8 w - - 0 1.\n", START},
        {"position fen\n", "Couldn't parse FEN fen.\n", START},
        {"position e2e4\n", "Invalid UCI position command: e2e4\n", START},
        {"position\n", "Invalid UCI position command: \n", START},
        {"setoption Hash value 3\nsetoption value 3 name Hash\nsetoption\n",
         std::string(BAD_FORMAT) + BAD_FORMAT + BAD_FORMAT, nullptr},
        // A mated side has no move to give, and says so at once.
        {"position startpos moves f2f3 e7e5 g2g4 d8h4\ngo depth 3\n", "bestmove a1a1\n", nullptr},
    };
    for (const Case& c : cases) {
        answer("ucinewgame\n");
        EXPECT_EQ(answer(c.lines), c.answer) << c.lines;
        if (c.fen_after) {
            EXPECT_EQ(game_fen(), c.fen_after) << c.lines;
        }
        EXPECT_EQ(game_state(), RESULT_INCOMPLETE) << c.lines;
        EXPECT_FALSE(game_searching()) << c.lines;
    }
}

// A game far longer than the position's history holds: the set-up keeps only what the
// repetition and fifty-move rules can still reach, and the search has its room.
TEST_F(UciCommands, LongMoveListsKeepTheHistoryInBounds) {
    std::string shuffle = "position startpos moves";
    for (int i = 0; i < 150; ++i) shuffle += " g1f3 g8f6 f3g1 f6g8";
    EXPECT_EQ(answer(shuffle + "\n"), "");
    EXPECT_EQ(game_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 600 1");
    EXPECT_LT(game_position.hist_top, GAME_HISTORY_LIMIT);
}

// "go" budgets from the clock of the side to move and starts the search; each case is ended by
// the fixture's "ucinewgame".
TEST_F(UciCommands, GoBudgetsFromTheSideToMove) {
    struct Case {
        const char* lines;
        double remaining, fixed, increment;
        int moves_to_go, depth;
        bool pondering;
    };
    const Case cases[] = {
        {"position startpos moves e2e4\ngo wtime 60000 btime 1000\n", 1, -1, 0, 2000, 63, false},
        {"position startpos\ngo wtime 60000 btime 1000 winc 2000 binc 10\n", 60, -1, 2, 2000, 63, false},
        {"position startpos\ngo movetime 2500 depth 9\n", -99, 2.5, 0, 2000, 9, false},
        {"position startpos\ngo infinite\n", -99, INFINITE_MOVE_SECONDS, 0, 2000, 63, false},
        {"position startpos\ngo ponder wtime 30000 btime 30000 movestogo 0\n", 30, -1, 0, 1, 63, true},
    };
    for (const Case& c : cases) {
        answer("ucinewgame\n");
        EXPECT_EQ(answer(c.lines), "") << c.lines;
        EXPECT_TRUE(game_searching()) << c.lines;
        const TimeBudget& b = game_control.budget;
        if (c.remaining != -99) {
            EXPECT_DOUBLE_EQ(b.remaining, c.remaining) << c.lines;
        }
        EXPECT_DOUBLE_EQ(b.fixed, c.fixed) << c.lines;
        EXPECT_DOUBLE_EQ(b.increment, c.increment) << c.lines;
        EXPECT_EQ(b.moves_to_go, c.moves_to_go) << c.lines;
        EXPECT_EQ(game_control.depth_limit, c.depth) << c.lines;
        EXPECT_EQ(game_control.pondering, c.pondering) << c.lines;
        EXPECT_LE(b.target_time_us, c.fixed > 0 ? c.fixed * 1e6 : c.remaining * 1e6 / 2) << c.lines;
    }
}

// Under UCI the interface keeps the clocks: the engine's move charges none of its own, which a
// "go" without clocks falls back to.
TEST_F(UciCommands, TheEnginesMoveLeavesItsOwnClockAlone) {
    frontend.protocol = PROTO_UCI;
    answer("position startpos\ngo depth 2\n");
    for (int wait = 0; wait < 3000 && !search_reached_limit(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const double before = game_control.clock[game_control.engine_side];
    EXPECT_EQ(said([] { after_search(STOP_FINISHED); }).rfind("bestmove ", 0), 0u);
    EXPECT_EQ(game_move_count(), 1);
    EXPECT_FALSE(game_control.clock_running);
    EXPECT_DOUBLE_EQ(game_control.clock[game_control.engine_side], before);
    frontend.protocol = PROTO_NONE;
}

// --- The real binary --------------------------------------------------------------------------

const std::regex INFO_LINE(
    "info (multipv [0-9]+ )?depth [0-9]+ seldepth [0-9]+ score (cp -?[0-9]+  |mate -?[0-9]+ )"
    "time [0-9]+ nodes [0-9]+ nps [0-9]+ tbhits [0-9]+ pv ([a-h][1-8][a-h][1-8][qrbn]? )+");
const std::regex STATUS_LINE(
    "info depth [0-9]+ seldepth [0-9]+ nodes [0-9]+ time [0-9]+ nps [0-9]+ currmovenumber [0-9]+ "
    "currmove [a-h0][1-8][a-h][1-8][qrbn]? tbhits [0-9]+ hashfull [0-9]+ |"
    "info currline [0-9]+ ([a-h0][1-8][a-h][1-8][qrbn]? ?)+");

// Reads up to "bestmove"; every line before it must be an info or status line. Returns the
// bestmove line, or "" when none came within `seconds`; `infos` receives the info lines.
std::string read_to_bestmove(EngineSession& engine, std::vector<std::string>* infos = nullptr,
                             int seconds = 30) {
    std::string line;
    while (engine.next_line(line, seconds)) {
        if (line.rfind("bestmove ", 0) == 0) return line;
        bool info = std::regex_match(line, INFO_LINE);
        EXPECT_TRUE(info || std::regex_match(line, STATUS_LINE)) << line;
        if (info && infos) infos->push_back(line);
    }
    return "";
}

// Whether nothing but info lines come for `seconds`.
bool stays_quiet(EngineSession& engine, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string line;
    while (std::chrono::steady_clock::now() < end && engine.next_line(line, 1))
        if (line.rfind("info ", 0) != 0) return false;
    return true;
}

// The move of a bestmove line is legal in the position of `fen` after `moves`.
bool legal_bestmove(const std::string& bestmove, const char* fen, const std::vector<const char*>& moves) {
    Position p;
    if (read_fen(p, fen) != PARSE_OK) return false;
    for (const char* text : moves) {
        Move m;
        if (parse_move(p, text, nullptr, &m) != PARSE_OK || !is_legal_move(p, m)) return false;
        make_move(p, m);
    }
    std::istringstream words(bestmove);
    std::string word, text;
    words >> word >> text;
    Move m;
    return word == "bestmove" && parse_move(p, text.c_str(), nullptr, &m) == PARSE_OK &&
           is_legal_move(p, m);
}

TEST(UciEngine, SearchesPonderingAndMates) {
    init_attack_tables();
    EngineSession engine;
    std::string line;
    engine.send("uci\nisready\n");
    do ASSERT_TRUE(engine.next_line(line));
    while (line != "uciok");
    ASSERT_TRUE(engine.next_line(line));
    EXPECT_EQ(line, "readyok");

    // A depth-limited search from a position with moves.
    std::vector<std::string> infos;
    engine.send("position startpos moves e2e4 e7e5\ngo depth 5\n");
    std::string best = read_to_bestmove(engine, &infos);
    EXPECT_TRUE(legal_bestmove(best, START, {"e2e4", "e7e5"})) << best;
    ASSERT_FALSE(infos.empty());
    EXPECT_NE(infos.back().find("depth 5 "), std::string::npos) << infos.back();

    // An unlimited search, and a ponder search that ends by itself, answer only when told.
    for (const char* go : {"go infinite\n", "go ponder depth 2\n"}) {
        engine.send(std::string("position startpos\n") + go);
        EXPECT_TRUE(stays_quiet(engine, 2)) << go;
        engine.send("stop\n");
        EXPECT_TRUE(legal_bestmove(read_to_bestmove(engine, nullptr, 5), START, {})) << go;
        engine.send("stop\nisready\n");
        ASSERT_TRUE(engine.next_line(line));
        EXPECT_EQ(line, "readyok") << "a second stop answers nothing";
    }
    // Ponder hits: on a running search the budget takes over, on an ended one the move comes.
    const std::pair<const char*, int> ponders[] = {
        {"go ponder wtime 1000 btime 1000\n", 1}, {"go ponder depth 2\n", 2}};
    for (const auto& [go, wait] : ponders) {
        engine.send(std::string("position startpos moves d2d4\n") + go);
        EXPECT_TRUE(stays_quiet(engine, wait)) << go;
        engine.send("ponderhit\n");
        EXPECT_TRUE(legal_bestmove(read_to_bestmove(engine, nullptr, 5), START, {"d2d4"})) << go;
    }
    // Fixed time, and the values of nodes and mate passed over.
    for (const char* go : {"go movetime 300\n", "go nodes 5000 mate 2 depth 3\n"}) {
        engine.send(std::string("position startpos\n") + go);
        EXPECT_TRUE(legal_bestmove(read_to_bestmove(engine, nullptr, 5), START, {})) << go;
    }
    // Mates in two for the side to move, and against it.
    const std::pair<const char*, const char*> mates[] = {
        {"position fen 6k1/5ppp/8/8/8/8/5PPP/1R4K1 w - - 0 1 moves b1b2 g8h8\ngo depth 4\n", "mate 1"},
        {"position fen k7/8/1K6/8/8/8/8/7R b - - 0 1\ngo depth 5\n", "mate -1"},
        {"position fen 6k1/8/8/8/8/8/R7/1R4K1 w - - 0 1\ngo depth 5\n", "mate 2"},
    };
    for (const auto& [lines, score] : mates) {
        infos.clear();
        engine.send(lines);
        ASSERT_NE(read_to_bestmove(engine, &infos), "") << lines;
        ASSERT_FALSE(infos.empty()) << lines;
        EXPECT_NE(infos.back().find(std::string("score ") + score + " "), std::string::npos)
            << infos.back();
    }
    engine.send("quit\n");
    EXPECT_TRUE(engine.exits_within(10));
}

// Options reach the engine by their advertised names: Hash is the whole memory budget in MiB,
// a button needs no value, "false" is 0. With MultiPV 3 the lines come numbered and best first;
// with UCI_ShowCurrLine each thread shows its line.
TEST(UciEngine, OptionsTakeEffect) {
    init_attack_tables();
    EngineSession engine;
    engine.send(
        "uci\nsetoption name Hash value 256\nsetoption name Clear Hash Tables\n"
        "setoption name Enable Null Move value false\nsetoption name Threads value 2\n"
        "setoption name MultiPV value 3\nsetoption name UCI_ShowCurrLine value true\n"
        "setoption name No Such Thing value 1\nisready\n");
    std::string line;
    do ASSERT_TRUE(engine.next_line(line));
    while (line != "readyok");
    const std::string log = engine.log();
    for (const char* expected :
         {"memory = 268435456\n", "clearing hash tables\n", "enable_null_move = 0\n",
          "threads = 2\n", "multipv = 3\n", "UCI_ShowCurrLine = 1\n",
          "Option name \"No Such Thing\" not found\n"})
        EXPECT_NE(log.find(expected), std::string::npos) << expected << log;

    std::vector<std::string> infos;
    engine.send("position startpos\ngo depth 6\n");
    std::string best = read_to_bestmove(engine, &infos);
    EXPECT_TRUE(legal_bestmove(best, START, {})) << best;
    ASSERT_GE(infos.size(), 3u);
    // The last printing: lines 1 to 3 with three different moves, best first within a depth
    // (lines not yet searched again at the new depth follow with their older scores).
    std::string first_moves;
    int previous_depth = 0, previous_score = 0;
    const std::regex numbered("^info multipv ([0-9]+) depth ([0-9]+) .* cp (-?[0-9]+)  .* pv (\\S+)");
    const size_t first = infos.size() - 3;
    for (size_t i = first; i < infos.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(infos[i], match, numbered)) << infos[i];
        EXPECT_EQ(std::stoul(match[1]), i - first + 1) << infos[i];
        int depth = std::stoi(match[2]), score = std::stoi(match[3]);
        if (depth == previous_depth) {
            EXPECT_LE(score, previous_score) << infos[i];
        }
        previous_depth = depth;
        previous_score = score;
        EXPECT_EQ(first_moves.find(match[4].str()), std::string::npos) << infos[i];
        first_moves += match[4].str() + " ";
    }

    // The engine's move went into its own game; the next position replaces it.
    engine.send("position startpos moves e2e4\ngo infinite\n");
    do ASSERT_TRUE(engine.next_line(line)) << "no current line";
    while (line.rfind("info currline ", 0) != 0);
    // The line starts with a move of the side to move, Black; with two threads either may
    // be the first one standing inside the tree.
    EXPECT_TRUE(std::regex_search(line, std::regex("^info currline [12] [a-h][78]"))) << line;
    engine.send("stop\n");
    best = read_to_bestmove(engine);
    EXPECT_TRUE(legal_bestmove(best, START, {"e2e4"})) << best;
    engine.send("quit\n");
    EXPECT_TRUE(engine.exits_within(10));
}

}  // namespace
