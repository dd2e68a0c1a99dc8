// The evaluation's fixed square sets and the square-record fields it reads: size and a few
// squares inside and outside each. Sets written out square by square are not repeated here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board_test_support.h"
#include "eval/square_sets.h"

namespace {

class SquareSets : public BoardTest {};

struct SetCase {
    const char* name;
    Bitboard set;
    int size;
    const char* inside;   // squares run together, "a1b2"
    const char* outside;
};

Square sq(const char* name) { return lowest_square(named(name)); }
Bitboard field(const char* square, int f) { return tables.square_masks[sq(square)][f]; }

void check(const std::vector<SetCase>& cases) {
    for (const SetCase& c : cases) {
        EXPECT_EQ(popcount(c.set), c.size) << c.name;
        EXPECT_EQ(c.set & named(c.inside), named(c.inside)) << c.name;
        EXPECT_EQ(c.set & named(c.outside), 0u) << c.name;
    }
}

TEST_F(SquareSets, FixedSets) {
    using namespace diagonals;
    check({
        {"f6-h7", F6_H7, 6, "f6h7", "e6h8"},        {"a2-c3", A2_C3, 6, "a2c3", "a1d3"},
        {"g1-h2", G1_H2, 4, "g1h2", "f1h3"},        {"a7-b8", A7_B8, 4, "a7b8", "c8a6"},
        {"centre", CENTRE, 4, "d4e4d5e5", "c4d6"},  {"big centre", BIG_CENTRE, 16, "c3f6", "b3f7"},
        {"c3-f5", C3_F5, 12, "c3f5", "c6"},         {"c4-f6", C4_F6, 12, "c4f6", "f3"},
        {"b3-g6", B3_G6, 24, "b3g6", "a3g7"},       {"b1-g8", B1_G8, 48, "b1g8", "a1h8"},
        {"d5-e7", D5_E7, 6, "d5e7", "d4e8"},        {"d2-e4", D2_E4, 6, "d2e4", "d1c3"},
        {"a4-e8", A4_E8, 5, "a4c6e8", "b4"},        {"h3-c8", H3_C8, 6, "h3c8", "h2"},
        {"f1-a6", F1_A6, 6, "f1a6", "g1"},          {"h1-a8", H1_A8, 8, "h1d5a8", "a1"},
        {"c1-h6", C1_H6, 6, "c1h6", "b1"},          {"h2-b8", H2_B8, 7, "h2b8", "a8"},
        {"files e-h", FILES_E_TO_H, 32, "e1h8", "d4"},
        {"dark squares", DARK_SQUARE_SET, 32, "a1c1b2h8d4e5", "h1a8e4d5"},
        {"light squares", SHADE_SQUARES[LIGHT_SQUARES], 32, "h1a8", "a1"},
        {"shelter a1", KING_SHELTER_SQUARES[WHITE][0], 3, "a1b1c1", "d1"},
        {"shelter e8", KING_SHELTER_SQUARES[BLACK][4], 3, "d8e8f8", "e1"},
        {"shelter h8", KING_SHELTER_SQUARES[BLACK][7], 3, "f8g8h8", "h7"},
        {"wing of c", WING_FILES[2], 24, "a1c8", "d1"},
        {"wing of d", WING_FILES[3], 24, "c1e8", "b1f1"},
        {"wing of e", WING_FILES[4], 24, "d1f8", "c1g1"},
        {"wing of f", WING_FILES[5], 24, "f1h8", "e1"},
        {"white band rank 1", RANK_BANDS[WHITE][0], 16, "a1h2", "a3"},
        {"white band rank 3", RANK_BANDS[WHITE][2], 32, "a1h4", "a5"},
        {"white band rank 5", RANK_BANDS[WHITE][4], 24, "a4h6", "a3h7"},
        {"black band rank 6", RANK_BANDS[BLACK][5], 32, "a5h8", "a4"},
    });
    EXPECT_EQ(shade_of(0), DARK_SQUARES);
    EXPECT_EQ(shade_of(7), LIGHT_SQUARES);
    EXPECT_EQ(distance(0, 63), 7);
    EXPECT_EQ(distance(sq("e1"), sq("f3")), 2);
}

TEST_F(SquareSets, SquareRecordFieldsTheEvaluationReads) {
    check({
        {"adjacent files of a4", field("a4", ADJACENT_FILES), 8, "b1b8", "a1c4"},
        {"5x5 of b2", field("b2", BOX_5X5), 16, "a1d4", "e1"},
        {"orthogonal of e4", field("e4", ORTHOGONAL_NEIGHBOURS), 4, "d4f4e3e5", "d3"},
        {"white pawn attackers of e4", field("e4", WHITE_PAWN_ATTACKERS), 2, "d3f3", "e3"},
        {"black pawn attackers of a4", field("a4", BLACK_PAWN_ATTACKERS), 1, "b5", "a5"},
        {"adjacent below e4", field("e4", ADJACENT_FILES_BELOW), 6, "d1f3", "d4e3"},
        {"beside and above e4", field("e4", BESIDE_AND_ABOVE), 10, "d4f4d8", "e5"},
        {"span above e4", field("e4", SPAN_ABOVE), 12, "e5e8d5f8", "d4e4"},
        {"span below e4", field("e4", SPAN_BELOW), 9, "e1d3f1", "e4"},
        {"pawn guard below e4", field("e4", PAWN_GUARD_BELOW), 3, "d3e3f3", "e2"},
        {"pawn guard above 2 of e4", field("e4", PAWN_GUARD_ABOVE_2), 6, "d5e5f5d6e6f6", "e7"},
        {"ranks below c3", field("c3", RANKS_BELOW), 16, "a1h2", "a3"},
        {"white pawn square e2", field("e2", WHITE_PAWN_SQUARE), 48, "a3e3h8a8", "a2e2"},
        {"white pawn square wide e2", field("e2", WHITE_PAWN_SQUARE_WIDE), 59, "a2d1f1h8", "c1g1"},
        {"white pawn square e5", field("e5", WHITE_PAWN_SQUARE), 28, "b5h8", "a5e4"},
        {"black pawn square d7", field("d7", BLACK_PAWN_SQUARE), 48, "a1h6", "a7"},
        {"black pawn square wide d7", field("d7", BLACK_PAWN_SQUARE_WIDE), 59, "c8e8h7", "b8f8"},
        {"king zone h1", field("h1", KING_ZONE), 8, "f1f3g2h3", "h1e1"},
        {"king zone e4", field("e4", KING_ZONE), 8, "d3f5", "e4e6"},
        {"king zone wide g1", field("g1", KING_ZONE_WIDE), 12, "f1g1h4", "e1e2"},
        {"king reach 2 of e4", field("e4", KING_REACH_2), 16, "c2e2g6e6c4", "d2e7"},
        {"king reach 2 of a1", field("a1", KING_REACH_2), 6, "a3c3c1", "b3"},
        {"wing box of g1", field("g1", KING_WING_BOX), 6, "f1h2", "e1"},
        {"wing box of h1", field("h1", KING_WING_BOX), 6, "f1h2", "e1"},
        {"wing box of a8", field("a8", KING_WING_BOX), 6, "a7c8", "d8"},
        {"wing box of f1", field("f1", KING_WING_BOX), 8, "e1h2", "d1"},
    });
}

}  // namespace
