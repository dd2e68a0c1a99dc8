#include <gtest/gtest.h>

#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/notation.h"
#include "engine_run.h"
#include "frontend/xboard_arguments.h"

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
                                      {"-3", -1, 0},      {"nan", -1, 0}};
    for (const SecondsCase& c : move_times) {
        double seconds = -99;
        ASSERT_EQ(read_move_seconds(c.text, seconds), c.result) << c.text;
        EXPECT_DOUBLE_EQ(seconds, c.result == 0 ? c.seconds : -99) << c.text;
    }
    const SecondsCase clocks[] = {
        {"30000", 0, 300}, {"-150", 0, -1.5}, {"", -1, 0}, {"x", -1, 0}, {"inf", -1, 0}};
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

}  // namespace
