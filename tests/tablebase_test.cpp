#include <gtb-probe.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "board_test_support.h"
#include "engine_run.h"
#include "log_capture.h"
#include "platform/clock.h"
#include "search/root.h"
#include "search/search_driver.h"
#include "search/search_shared.h"
#include "tablebase/tablebase.h"

namespace {

class TablebaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        capture_log();
        search_threads_start(1);
    }
    static void TearDownTestSuite() {
        search_threads_stop();
        tablebase_stop();
    }
    void SetUp() override { use_tables(DEFAULT_TABLEBASE_PATH); }
    void TearDown() override { use_tables(DEFAULT_TABLEBASE_PATH); }

    static void use_tables(const char* path, long long cache_bytes = DEFAULT_TABLEBASE_CACHE) {
        tablebase_start(path, cache_bytes);
        tablebase_wait_ready();
    }
};

struct Outcome {
    int score;
    Move best;
    uint64_t tb_hits;
};

// A game keeps its table from move to move; other searches start from an empty one.
Outcome search(const Position& p, int depth, bool in_game = false) {
    if (!in_game) request_table_clear();
    start_search(p, depth);
    while (!search_reached_limit()) sleep_ms(1);
    SearchStats stats = stop_search();
    const IterationRecord& last = search_shared.records[search_shared.record_count - 1];
    return {last.score, last.pv[0] & MOVE_IDENTITY_MASK, stats.tb_hits};
}

// The library's own answer, asked directly, as a score from the side to move's view.
int library_score(const Position& p) {
    unsigned squares[2][17], n[2] = {0, 0};
    unsigned char pieces[2][17];
    for (Square s = 0; s < 64; ++s) {
        int piece = p.board[s];
        if (piece == EMPTY) continue;
        int colour = colour_of(piece);
        squares[colour][n[colour]] = unsigned(s);
        pieces[colour][n[colour]++] = static_cast<unsigned char>(type_of(piece));
    }
    for (int colour : {BLACK, WHITE}) {
        squares[colour][n[colour]] = tb_NOSQUARE;
        pieces[colour][n[colour]] = tb_NOPIECE;
    }
    unsigned info = tb_UNKNOWN, plies = 0;
    unsigned stm = p.turn == WHITE ? tb_WHITE_TO_MOVE : tb_BLACK_TO_MOVE;
    EXPECT_TRUE(tb_probe_hard(stm, tb_NOSQUARE, tb_NOCASTLE, squares[WHITE], squares[BLACK],
                              pieces[WHITE], pieces[BLACK], &info, &plies));
    if (info == tb_DRAW) return 0;
    bool side_to_move_wins = (info == tb_WMATE) == (p.turn == WHITE);
    return side_to_move_wins ? MATE - int(plies) : int(plies) - MATE;
}

bool checkmated(Position& p) {
    Move moves[MAX_MOVES];
    int count = 0;
    gen_legal(p, moves, count);
    return count == 0 && in_check(p);
}

TEST_F(TablebaseTest, RootScoresAreTheTablesDistanceToMate) {
    const char* fens[] = {
        "4k3/8/8/8/8/8/8/3QK3 w - - 0 1",    "8/8/8/3k4/8/8/8/K6Q b - - 0 1",
        "7k/8/8/8/8/8/2Q5/K7 w - - 0 1",     "4k3/8/8/8/8/8/8/R3K3 w - - 0 1",
        "8/8/8/4k3/8/8/8/R6K w - - 0 1",     "8/8/8/8/3k4/8/8/K6R b - - 0 1",
        "8/8/8/8/8/4k3/4P3/4K3 b - - 0 1",   "4k3/8/4K3/4P3/8/8/8/8 w - - 0 1",
        "8/8/8/8/8/2k5/P7/K7 w - - 0 1",     "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
        "8/8/8/8/8/k7/P7/K7 w - - 0 1",
    };
    bool drawn_seen = false;
    for (const char* fen : fens) {
        Position p = position_from_fen(fen);
        int expected = library_score(p);
        drawn_seen |= expected == 0;
        Outcome o = search(p, 12);
        EXPECT_EQ(o.score, expected) << fen;
        EXPECT_GT(o.tb_hits, 0u) << fen;
        int probed;
        ASSERT_TRUE(tablebase_probe(p, probed));
        EXPECT_EQ(probed, expected) << fen;
    }
    EXPECT_TRUE(drawn_seen);
}

TEST_F(TablebaseTest, AMateTheFiftyMoveRuleWouldStopIsNotProbed) {
    // Mate in 15 plies: on the 99th ply of the count it is still a mate, on the 100th a draw.
    struct Case {
        const char* fen;
        bool probed;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/3QK3 w - - 84 60", true},
        {"4k3/8/8/8/8/8/8/3QK3 w - - 85 60", false},
        {"8/8/8/8/8/k7/P7/K7 w - - 99 60", true},
    };
    for (const Case& c : cases) {
        int score;
        EXPECT_EQ(tablebase_probe(position_from_fen(c.fen), score), c.probed) << c.fen;
    }
}

TEST_F(TablebaseTest, TheEngineMatesItselfAtTheTablesDistance) {
    const char* fens[] = {
        "4k3/8/8/8/8/8/8/3QK3 w - - 0 1", "8/8/8/3k4/8/8/8/K5Q1 w - - 0 1",
        "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "8/8/8/4k3/8/8/8/R6K w - - 0 1",
    };
    for (const char* fen : fens) {
        Position p = position_from_fen(fen);
        int plies = MATE - library_score(p);
        int played = 0;
        while (!checkmated(p) && played < plies) {
            make_move(p, search(p, 10, true).best);
            ++played;
        }
        // Both sides play the tables' best, so the mate comes exactly at their distance.
        EXPECT_TRUE(checkmated(p)) << fen;
        EXPECT_EQ(played, plies) << fen;
    }
}

TEST_F(TablebaseTest, WithoutUsableTablesNothingIsProbedAndTheLogSaysWhy) {
    namespace fs = std::filesystem;
    fs::path scratch = fs::temp_directory_path() / "tarvo_tablebase_test";
    fs::remove_all(scratch);
    fs::create_directories(scratch / "empty_file");
    std::ofstream(scratch / "empty_file" / "kqk.gtb.cp4");
    fs::create_directories(scratch / "folder_named_as_table" / "kqk.gtb.cp4");
    fs::create_directories(scratch / "no_tables");
    const long long cache = DEFAULT_TABLEBASE_CACHE;
    struct Case {
        std::string path;
        long long cache_bytes;
        const char* reason;
    } cases[] = {
        {"", cache, "no path given"},
        {" ; ", cache, "no path given"},
        {(scratch / "missing").string(), cache, "cannot list the folder"},
        {(scratch / "no_tables").string(), cache, "no usable Gaviota tables"},
        {(scratch / "empty_file").string(), cache, "cannot read the table"},
        {std::string(DEFAULT_TABLEBASE_PATH) + ";" + (scratch / "folder_named_as_table").string(),
         cache, "cannot read the table"},
        // The library answers nothing without its cache.
        {DEFAULT_TABLEBASE_PATH, 0, "no Gaviota cache of 0 bytes"},
    };
    Position kqk = position_from_fen("4k3/8/8/8/8/8/8/3QK3 w - - 0 1");
    for (const Case& c : cases) {
        const std::string log = logged([&] { use_tables(c.path.c_str(), c.cache_bytes); });
        EXPECT_NE(log.find(c.reason), std::string::npos) << c.path;
        EXPECT_EQ(tablebase_max_men(), 0) << c.path;
        int score;
        EXPECT_FALSE(tablebase_probe(kqk, score)) << c.path;
        EXPECT_EQ(search(kqk, 8).tb_hits, 0u) << c.path;
    }
    fs::remove_all(scratch);
}

TEST_F(TablebaseTest, APathChangeRestartsTheTablesAndSearchesWaitForThem) {
    Position krk = position_from_fen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    use_tables("");
    tablebase_start((std::string("/nonexistent;") + DEFAULT_TABLEBASE_PATH).c_str(),
                    DEFAULT_TABLEBASE_CACHE);
    request_table_clear();
    start_search(krk, 12);
    EXPECT_EQ(tablebase_max_men(), 3);
    while (!search_reached_limit()) sleep_ms(1);
    EXPECT_GT(stop_search().tb_hits, 0u);
    EXPECT_EQ(search_shared.records[search_shared.record_count - 1].score, library_score(krk));
}

// The engine finds Debian's tables without being told, and an options file can point elsewhere;
// the interface hears "done=1" only once the tables are ready.
TEST(TablebaseStartUp, TheDefaultPathFindsDebiansTablesAndTheOptionsFileMovesIt) {
    struct Case {
        const char* options_file;
        const char* logged;
    } cases[] = {
        {"", "Gaviota tables of up to 3 men along \"/usr/share/gaviotatb/gtb4\""},
        {"tbpath /nonexistent\n", "cannot list the folder \"/nonexistent\""},
    };
    for (const Case& c : cases) {
        EngineOutput run = run_engine_script({"xboard\nprotover 2\n", "quit\n"}, 100, {},
                                             c.options_file);
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.out.find("feature done=1"), std::string::npos) << run.out;
        EXPECT_NE(run.log.find(c.logged), std::string::npos) << run.log;
    }
}

}  // namespace
