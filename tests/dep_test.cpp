#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/t_move_basics.h"
#include "engine_run.h"
#include "protocol_test_support.h"
#include "frontend/dep_output.h"
#include "frontend/dep_protocol.h"
#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/options.h"
#include "frontend/output.h"
#include "search/search_driver.h"
#include "search/search_options.h"
#include "search/table_sizing.h"

namespace {

const char* const IDENTIFICATION =
    "$ command atb\n"
    "$ command atw\n"
    "$ mainline Time time3 Depth integer Score int3 Positions integer Mainline moves NPS integer "
    "TB integer\n"
    "$ parameter \"name\" string constant \"Tarvo Harrow X64\"\n"
    "$ parameter \"author\" string constant \"the Tarvo developers\"\n"
    "$ parameter \"starttimeout\" integer constant 60\n"
    "$ parameter \"processors\" integer [1;512]\n"
    "$ parameter \"maxpvs\" integer constant 127\n"
    "$ parameter \"NalimovPath\" string \"/usr/share/gaviotatb/gtb4\"\n"
    "$ parameter \"NalimovCache\" integer [0;1G] 8M\n"
    "$ parameter \"Hashtable\" integer 64MB\n"
    "$ parameter \"KHash\" integer [1MB;100MB] 8MB\n"
    "$ parameter \"PHash\" integer [1MB;100MB] 1MB\n"
    "$ parameter \"TB Min Depth\" integer [1;128] 6 \n"
    "$ parameter \"Enable Null Move\" boolean true\n"
    "$ parameter \"Enable Multicut Pruning\" boolean false\n"
    "$ parameter \"Enable History Pruning\" boolean false\n"
    "$ parameter \"Enable Futility Pruning\" boolean false\n"
    "$ parameter \"Enable Singular Extensions\" boolean false\n"
    "$ parameter \"Enable Mate Extensions\" boolean false\n"
    "$ parameter \"Mate Extension Max Depth\" integer [1;100] 100\n"
    "$ parameter \"Eval Passed Pawn Scoring\" integer [0;500] 100\n"
    "$ parameter \"Eval Pawn Scoring\" integer [0;500] 100\n"
    "$ parameter \"Eval Minor Scoring\" integer [0;500] 100\n"
    "$ parameter \"Eval Major Scoring\" integer [0;500] 100\n"
    "$ parameter \"Eval Static Kingsafety Scoring\" integer [0;500] 100\n"
    "$ parameter \"Eval Dynamic Kingsafety Scoring\" integer [0;500] 100\n"
    "$ parameter \"Internet Lag\" integer [0;30000] 0\n"
    "$ engine is ready\n";

constexpr uint64_t MIB = 1 << 20;

std::string answer(const std::string& lines) { return answer_with(handle_dep_command, lines); }

// The answer without its "ack" lines, for the tests of what the commands do.
std::string said(const std::string& lines) {
    return std::regex_replace(answer(lines), std::regex("ack [0-9]+\n"), "");
}

class DepCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        search_threads_start(1);
    }
    static void TearDownTestSuite() { search_threads_stop(); }
    void SetUp() override { answer("dep\nnew\nforce\n"); }
    void TearDown() override {
        answer("stop\nnew\nforce\n");
        set_threads(1);
        reset_options();
    }
};

// The identification comes again on a second "dep", and the acks count from 1 again; every
// line is acknowledged, known or not.
TEST_F(DepCommands, IdentificationAndAcks) {
    const std::string id = IDENTIFICATION;
    EXPECT_EQ(answer("dep\n"), id + "ack 1\n");
    EXPECT_EQ(answer("bogus\n\nparameter\nlevel\n"),
              "ack 2\nack 3\nack 4\nCouldn't parse level command \"\"\nack 5\n");
    EXPECT_EQ(answer("dep\nquit\n"), id + "ack 1\nack 2\n");
}

// The advertised names reach the engine's options, sizes with their units.
TEST_F(DepCommands, ParametersReachTheOptions) {
    struct Case {
        const char* line;
        const void* setting;
        int64_t value;
    };
    const Case cases[] = {
        {"parameter Hashtable=128MB\n", &hash_size, int64_t(128 * MIB)},
        {"parameter KHash = 16MB\n", &khash_size, int64_t(16 * MIB)},
        {"parameter PHash=4M\n", &phash_size, int64_t(4 * MIB)},
        {"parameter Enable Null Move=false\n", &enable_null_move, 0},
        {"parameter Mate Extension Max Depth=40\n", &mate_extension_max_depth, 40},
        // No "=": nothing changes.
        {"parameter Hashtable 256MB\n", &hash_size, int64_t(128 * MIB)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(said(c.line), "") << c.line;
        int64_t value = c.setting == &enable_null_move || c.setting == &mate_extension_max_depth
                            ? *static_cast<const int*>(c.setting)
                            : int64_t(*static_cast<const uint64_t*>(c.setting));
        EXPECT_EQ(value, c.value) << c.line;
    }
    answer("parameter Hashtable=8MB\nparameter processors=4\n");
    EXPECT_EQ(search_thread_count(), 4);
    answer("multipv 3\n");
    EXPECT_EQ(multipv, 3);
}

// Moves alone or after "move", the clocks in hours and minutes or minutes, and the periods of
// the three level commands.
TEST_F(DepCommands, MovesClocksAndLevels) {
    EXPECT_EQ(said("e2e4\nmove e7e5\ng1f3 x\nmove e1e2\n"), "Illegal Move e1e2\n");
    EXPECT_EQ(game_fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
    EXPECT_EQ(said("undo\n"), "");
    EXPECT_EQ(game_fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
    EXPECT_EQ(said("remove\n"), "");
    EXPECT_EQ(game_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");

    struct Clock {
        const char* line;
        std::string answer;
        int side;
        double seconds;
    };
    const Clock clocks[] = {
        {"atw 5\n", "", WHITE, 300},
        {"atb 1:30\n", "", BLACK, 5400},
        {"atb 0:07\n", "", BLACK, 420},
        {"atw soon\n", "couldn't parse time string!!\n", WHITE, 50},
    };
    for (const Clock& c : clocks) {
        EXPECT_EQ(said(c.line), c.answer) << c.line;
        EXPECT_DOUBLE_EQ(game_control.clock[c.side], c.seconds) << c.line;
    }

    EXPECT_EQ(said("level 40 5 0\nlevel2 20 10 5\n"), "");
    EXPECT_EQ(game_control.period_count, 2);
    EXPECT_DOUBLE_EQ(game_control.periods[1].base_time, 600);
    EXPECT_DOUBLE_EQ(game_control.periods[1].increment, 5);
    EXPECT_EQ(game_control.periods[1].moves, 20);
    answer("level3 10 1:30 0\n");
    EXPECT_EQ(game_control.period_count, 3);
    EXPECT_DOUBLE_EQ(game_control.periods[2].base_time, 90);
    answer("level 0 2 12\n");
    EXPECT_EQ(game_control.period_count, 1);
    EXPECT_DOUBLE_EQ(game_control.periods[0].base_time, 120);
    EXPECT_DOUBLE_EQ(game_control.clock[WHITE], 120);
}

TEST(DepOutput, MainlinesAndTheMove) {
    init_attack_tables();
    Position p;
    IterationRecord record{};
    record.iteration = 7;
    record.score = -35;
    record.elapsed_us = 1'239'999;
    record.nodes = 400000;
    record.tb_hits = 12;
    record.pv_length = 2;
    struct Case {
        const char* fen;
        const char* moves[2];
        int number;
        const char* line;
    };
    const Case cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {"e2e4", "e7e5"}, 0,
         "$ mainline 123 7 -350 400000 \"e2-e4 e7-e5\" 322581 12\n"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", {"g8f6", "e4e5"}, 2,
         "$ mainline2 123 7 350 400000 \"Ng8-f6 e4-e5\" 322581 12\n"},
    };
    char line[DEP_LINE_SIZE];
    for (const Case& c : cases) {
        ASSERT_EQ(read_fen(p, c.fen), PARSE_OK);
        Position after = p;
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(parse_move(after, c.moves[i], nullptr, &record.pv[i]), PARSE_OK);
            make_move(after, record.pv[i]);
        }
        EXPECT_EQ(format_dep_mainline(line, p, record, c.number), int(std::strlen(c.line)));
        EXPECT_STREQ(line, c.line);
    }
    output_buffer.fill = 0;
    dep_hooks().send_move(p, record, false);
    EXPECT_EQ(std::string(output_buffer.data, size_t(output_buffer.fill)), "$ move g8f6\n");
    output_buffer.fill = 0;
}

// The real binary: an analysis reports mainlines, "play" gives the move, "stop" ends analysis.
TEST(DepEngine, AnalysisAndTheEnginesMove) {
    const std::regex mainline(
        "\\$ mainline [0-9]+ [0-9]+ -?[0-9]+ [0-9]+ \"[^\"]+\" [0-9]+ [0-9]+");
    EngineSession engine;
    std::string line;
    auto read_to = [&](const std::string& wanted, int* mainlines) {
        while (engine.next_line(line)) {
            if (line == wanted || line.rfind(wanted, 0) == 0) return true;
            if (std::regex_match(line, mainline)) ++*mainlines;
            else if (line.rfind("ack ", 0) != 0 && line.rfind("$ ", 0) != 0) ADD_FAILURE() << line;
        }
        return false;
    };
    int mainlines = 0;
    engine.send("dep\nanalyze\n");
    ASSERT_TRUE(read_to("ack 2", &mainlines));
    ASSERT_TRUE(read_to("$ mainline", &mainlines)) << "the analysis says nothing";
    engine.send("stop\nnew\nlevel 40 60 0\ngo\n");
    ASSERT_TRUE(read_to("ack 6", &mainlines));
    mainlines = 0;
    ASSERT_TRUE(read_to("$ mainline", &mainlines)) << "the search says nothing";
    engine.send("play\n");
    ASSERT_TRUE(read_to("$ move ", &mainlines));
    Position p;
    reset_position(p);
    Move move;
    ASSERT_EQ(parse_move(p, line.c_str() + 7, nullptr, &move), PARSE_OK) << line;
    EXPECT_TRUE(is_legal_move(p, move)) << line;
    engine.send("quit\n");
    EXPECT_TRUE(engine.exits_within(10));
}

}  // namespace
