#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <string>

#include "board/attacks.h"
#include "common/log.h"
#include "common/settings.h"
#include "engine_run.h"
#include "eval/eval_options.h"
#include "frontend/book_lines.h"
#include "frontend/option_table.h"
#include "frontend/option_text.h"
#include "frontend/options.h"
#include "frontend/options_file.h"
#include "log_capture.h"
#include "san_line.h"
#include "search/search_driver.h"
#include "search/search_options.h"
#include "search/table_sizing.h"
#include "search/user_nodes.h"

namespace {

constexpr uint64_t MIB = 1 << 20;

class OptionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        capture_log();
    }
    void SetUp() override { reset_options(); }
    std::string set(const char* name, const char* value) {
        return logged([&] { EXPECT_EQ(set_option(name, value, 1), 1) << name; });
    }
};

TEST(OptionText, NumbersWithSizeSuffixesAndNamesWithoutCaseSpacesOrUnderscores) {
    struct Number {
        const char* text;
        bool read;
        int64_t value;
    };
    for (const Number& c : {Number{"128M", true, 134217728}, {"0.125g", true, 134217728},
                            {"134217728", true, 134217728}, {"1k", true, 1024}, {"64MB", true, 64 << 20},
                            {"-7.9", true, -7}, {"1.5", true, 1}, {"abc", false, 0}, {"", false, 0},
                            {"inf", false, 0}, {"nan", false, 0}, {"1e30", false, 0}}) {
        int64_t value = 0;
        EXPECT_EQ(read_option_number(c.text, value), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    struct Name {
        const char* given;
        const char* table_name;
        bool matches;
    };
    for (const Name& c : {Name{"Enable Null Move", "enable_null_move", true},
                          {"ENABLENULLMOVE", "enable_null_move", true},
                          {"Enable Singular Extensions", "enable_singular_extension", true},
                          {"Hashtable", "hash", true},
                          {"enable_null", "enable_null_move", false},
                          {"khash", "hash", false},
                          {"", "hash", false}}) {
        EXPECT_EQ(option_name_matches(c.given, c.table_name), c.matches) << c.given;
    }
    EXPECT_STREQ(boolean_as_number("TRUE"), "1");
    EXPECT_STREQ(boolean_as_number("False"), "0");
    EXPECT_STREQ(boolean_as_number("truex"), "truex");
}

TEST(OptionTable, EveryNameSelectsItsOwnEntry) {
    for (int i = 0; option_name(i); ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(option_name_matches(option_name(i), option_name(j)))
                << option_name(i) << " is taken by the earlier " << option_name(j);
}

TEST_F(OptionsTest, ValuesAreReadCheckedStoredAndLogged) {
    struct Case {
        const char* name;
        const char* value;
        const char* log;  // the whole log text of the call
        int* target;      // null for the hash size
        int64_t stored;
    };
    const Case cases[] = {
        {"hash", "128M", "set_option():           hash = 134217728\n", nullptr, 128 * MIB},
        {"Hash", "0.125g", "", nullptr, 128 * MIB},  // the same size: nothing logged
        {"hash", " 134217728 ", "", nullptr, 128 * MIB},
        {"hash", "4M", "set_option(): value 4194304 out of range [8388608,17179869184] for option hash\n",
         nullptr, 128 * MIB},
        {"hash", "lots", "set_option(): couldn't scan integer for option hash from buffer \"lots\"\n",
         nullptr, 128 * MIB},
        {"Enable Null Move", "false", "set_option():           enable_null_move = 0\n", &enable_null_move, 0},
        {"enable null move", "TRUE", "set_option():           enable_null_move = 1\n", &enable_null_move, 1},
        {"enable_deep_pvs_margin", "1", "set_option():           enable_deep_pvs_margin = 1\n",
         &enable_deep_pvs_margin, 1},
        {"enable_deep_pvs_margin", "20", "set_option():           enable_deep_pvs_margin = 20\n",
         &enable_deep_pvs_margin, 20},
        {"enable_deep_pvs", "1", "set_option():           enable_deep_pvs = 1\n", &enable_deep_pvs, 1},
        {"user_lines_min_depth", "63", "set_option():           user_lines_min_depth = 63\n",
         &user_lines_min_depth, 63},
        {"multipv", "127", "set_option():           multipv = 127\n", &multipv, 127},
        {"multipv", "128", "set_option(): value 128 out of range [1,127] for option multipv\n", &multipv, 127},
        {"MultiPV", "0", "set_option(): value 0 out of range [1,127] for option multipv\n", &multipv, 127},
        {"tb_min_depth", "3", "set_option():           tb_min_depth = 3\n", &tb_min_depth, 12},
        {"Eval Pawn Scoring", "50", "set_option():           eval_pawn_scoring = 50\n", &eval_pawn_scoring, 64},
        {"ignore remote memory values", "1", "set_option():           ignore remote memory values = 1\n",
         &ignore_remote_memory_values, 1},
        {"processors", "0", "set_option(): value 0 out of range [1,512] for option processors\n", nullptr,
         128 * MIB},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(set(c.name, c.value), c.log) << c.name << " " << c.value;
        int64_t now = c.target ? *c.target : int64_t(hash_size);
        EXPECT_EQ(now, c.stored) << c.name << " " << c.value;
    }
    EXPECT_EQ(enable_deep_pvs_margin, 20);
    EXPECT_EQ(set_option("no such option", "1", 1), 0);
    EXPECT_EQ(set("idletimer", "5000"), "set_option():           set idle timer to 5000 iterations per second\n");
    EXPECT_EQ(set("clear_hash_tables", ""), "clearing hash tables\n");
    // The table keeps static evaluations; a new weight makes them stale.
    for (const char* option : {"eval_minor_scoring", "smooth_mobility"}) {
        resize_pending = 0;
        set(option, "0");
        EXPECT_EQ(resize_pending, 1) << option;
    }
    EXPECT_EQ(memory_mode, 0);
    reset_options();
    EXPECT_EQ(hash_size, 64 * MIB);
    EXPECT_EQ(multipv, 1);
    EXPECT_EQ(eval_pawn_scoring, 128);
}

// A default outside its own range could never be set again once changed.
TEST_F(OptionsTest, EveryDefaultCanBeSetAgain) {
    for (int i = 0; i < option_count; ++i) {
        const OptionEntry& entry = option_table[i];
        bool plain = entry.kind == OPTION_SIZE || (entry.kind == OPTION_NUMBER && entry.scale_mul == 1);
        if (!plain) continue;
        EXPECT_GE(entry.default_value, entry.min) << entry.name;
        EXPECT_LE(entry.default_value, entry.max) << entry.name;
    }
}

TEST_F(OptionsTest, TextsLongerThanTheirBufferAreRefused) {
    std::string fits(SETTING_TEXT_SIZE - 1, 'p');
    std::string too_long(SETTING_TEXT_SIZE, 'q');
    // mmap is only stored: a new tablebase path would log from its own thread meanwhile.
    EXPECT_EQ(set("mmap", fits.c_str()), "set_option():           mmap = " + fits + "\n");
    EXPECT_EQ(set("book", too_long.c_str()),
              "set_option():           text for book is longer than 511 characters; refused\n");
    EXPECT_EQ(book_file[0], '\0');
    EXPECT_EQ(std::string(mmap_text), fits);
    EXPECT_EQ(set("mmap", "x"), "set_option():           mmap = x\n");
}

TEST_F(OptionsTest, MemoryBudgetFollowsTheThreadsAndRefusesWhatCannotBeAllocated) {
    search_threads_start(1);
    TableSizes one = memory_split(64 * MIB, 1), two = memory_split(64 * MIB, 2);
    EXPECT_NE(set("memory", "64m").find("Auto-adjusting 64.000000MB for 1CPUs"), std::string::npos);
    EXPECT_EQ(memory_mode, 1);
    EXPECT_EQ(hash_size, one.hash);
    set("threads", "2");
    EXPECT_EQ(search_thread_count(), 2);
    EXPECT_EQ(hash_size, two.hash);
    EXPECT_EQ(khash_size, two.khash);
    set("numa", "1");  // the threads start again, as many as before
    EXPECT_EQ(search_thread_count(), 2);
    set("hash", "16m");
    EXPECT_EQ(memory_mode, 0);
    // The same total again returns to the budget the sizes were set by hand against.
    set("memory", "64m");
    EXPECT_EQ(memory_mode, 1);
    EXPECT_EQ(hash_size, two.hash);
    std::string refused = set("memory", "65536g");
    bool overcommits = std::ifstream("/proc/sys/vm/overcommit_memory").get() == '1';
    if (!overcommits) {
        EXPECT_EQ(refused, "set_option():           not enough memory for memory = 70368744177664; the "
                           "tables stay as they are\n");
        EXPECT_EQ(memory_size, 64 * MIB);
    }
    set("cpus", "1");
    EXPECT_EQ(search_thread_count(), 1);
    EXPECT_EQ(hash_size, one.hash);
    search_threads_stop();
}

TEST_F(OptionsTest, UserLinesAreMarkedByFen) {
    const char* fen = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";
    Position p;
    ASSERT_EQ(read_fen(p, fen), PARSE_OK);
    Position start;
    reset_position(start);
    set("inode", fen);
    EXPECT_TRUE(user_node_included(p.hash_key));
    set("xinode", fen);
    EXPECT_FALSE(user_node_included(p.hash_key));
    set("inode", fen);
    set("xinodelist", "");
    EXPECT_FALSE(user_node_included(p.hash_key));
    EXPECT_EQ(set("inode", "rnbqkbnr/pppppppp/8 x"), "set_option(): couldn't parse inode string "
                                                    "\"rnbqkbnr/pppppppp/8 x\"\n");
    EXPECT_FALSE(user_node_included(start.hash_key));
}

TEST_F(OptionsTest, OptionsFileSetsOptionsAndKeepsLegalBookLines) {
    book_lines_clear();
    std::string path = write_file("options_test.ini",
                                  "# a comment line\n"
                                  "\n"
                                  "[] a section\n"
                                  "  multipv 3   # trailing comment\n"
                                  "enable_null_move false\n"
                                  "e4 e5 Nf3!! Nc6 Bb5??\n"
                                  "!! e4\n"
                                  "1. d4 d5 2. c4\n"
                                  "a1a5\n"
                                  "e4 e5 Ke3\n"
                                  "drawscore " + std::string(1100, ' ') + "multipv 5\n"
                                  "scorepov 1\n");
    std::string log = logged([&] { parse_options_file(path.c_str()); });
    EXPECT_EQ(multipv, 3);
    EXPECT_EQ(enable_null_move, 0);
    EXPECT_EQ(scorepov, 1);
    for (int bad_line : {7, 9, 10})
        EXPECT_NE(log.find("Bad option in file " + path + " on line " + std::to_string(bad_line) + ".\n"),
                  std::string::npos)
            << bad_line;
    // The long line's tail is dropped, not read as a line of its own.
    EXPECT_NE(log.find("couldn't scan integer for option drawscore from buffer \"\"\n"), std::string::npos);
    EXPECT_EQ(log.find("on line 11"), std::string::npos);
    EXPECT_EQ(log.find("on line 12"), std::string::npos);
    EXPECT_NE(log.find("parse_options_file(" + path + "): found 2 booklines\n"), std::string::npos);
    BookLineMove found;
    ASSERT_TRUE(book_line_find(after("e4 e5").hash_key, found));
    EXPECT_EQ(found.move, move_after("e4 e5", "Nf3"));
    EXPECT_EQ(found.mark, BOOK_LINE_GOOD);
    ASSERT_TRUE(book_line_find(after("e4 e5 Nf3 Nc6").hash_key, found));
    EXPECT_EQ(found.move, move_after("e4 e5 Nf3 Nc6", "Bb5"));
    EXPECT_EQ(found.mark, BOOK_LINE_BAD);
    EXPECT_EQ(book_line_entries(), 2);

    EXPECT_EQ(logged([] { parse_options_file("/nonexistent/tarvo.ini"); }),
              "parse_options_file(): couldn't open /nonexistent/tarvo.ini, using defaults.\n");
    // A file that sources itself ends instead of recursing without end.
    std::string loop = write_file("options_loop.ini", "");
    write_file("options_loop.ini", "multipv 4\nsource " + loop + "\n");
    EXPECT_NE(logged([&] { parse_options_file(loop.c_str()); }).find("sourced too deeply"), std::string::npos);
    EXPECT_EQ(multipv, 4);
    book_lines_clear();
}

// The file in the working directory is read before the first search: the engine's thinking
// already shows the score from the side to move's point of view.
TEST(OptionsStartUp, OptionsFileTakesEffectBeforeTheFirstSearch) {
    // The pause before quit leaves room for a slow start on a loaded machine.
    EngineOutput run = run_engine_script(
        {"xboard\nprotover 2\npost\nsd 2\nsetboard 4k3/8/8/8/8/8/q7/4K3 b - - 0 1\ngo\n", "quit\n"},
        4000, {}, "# scores from the side to move\nscorepov true\n");
    std::smatch line;
    ASSERT_TRUE(std::regex_search(run.out, line, std::regex("\n2 (-?[0-9]+) "))) << run.out;
    EXPECT_GT(std::stoi(line[1]), 500);
    EXPECT_NE(run.log.find("set_option():           scorepov = 1\n"), std::string::npos);
}

}  // namespace
