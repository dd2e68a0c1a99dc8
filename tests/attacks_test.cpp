#include <random>

#include "board_test_support.h"

namespace {

class AttacksTest : public BoardTest {};

// Squares a slider on `s` reaches on `occupied`, walking each step direction square by square.
Bitboard walk(Square s, Bitboard occupied, const int (*steps)[2]) {
    Bitboard reach = 0;
    for (int i = 0; i < 4; ++i) {
        int f = file_of(s) + steps[i][0], r = rank_of(s) + steps[i][1];
        for (; f >= 0 && f < 8 && r >= 0 && r < 8; f += steps[i][0], r += steps[i][1]) {
            reach |= square_bit(square_at(f, r));
            if (occupied & square_bit(square_at(f, r))) break;
        }
    }
    return reach;
}

constexpr int ROOK_STEPS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int BISHOP_STEPS[4][2] = {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}};

// Rotates a normal-orientation set into one of the other views.
Bitboard rotate(Bitboard b, int orientation) {
    Bitboard out = 0;
    for (Square s = 0; s < 64; ++s)
        if (b & square_bit(s)) out |= tables.square_bits[s][orientation];
    return out;
}

TEST_F(AttacksTest, LineLookupsMatchSquareBySquareWalks) {
    std::mt19937_64 rng(7);
    for (int trial = 0; trial < 2000; ++trial) {
        Bitboard occupied = rng() & rng();
        for (Square s = 0; s < 64; ++s) {
            EXPECT_EQ(rook_attacks(s, occupied, rotate(occupied, ORIENT_FILE)), walk(s, occupied, ROOK_STEPS));
            EXPECT_EQ(bishop_attacks(s, rotate(occupied, ORIENT_A1H8), rotate(occupied, ORIENT_H1A8)),
                      walk(s, occupied, BISHOP_STEPS));
        }
    }
}

TEST_F(AttacksTest, RotatedMappingsArePermutations) {
    for (int o = 0; o < 4; ++o) {
        Bitboard all = 0;
        for (Square s = 0; s < 64; ++s) all |= tables.square_bits[s][o];
        EXPECT_EQ(all, ~Bitboard(0)) << "orientation " << o;
    }
    for (Square s = 0; s < 64; ++s) {
        EXPECT_EQ(tables.a1h8_square[tables.a1h8_of[s]], s);
        EXPECT_EQ(tables.h1a8_square[tables.h1a8_of[s]], s);
    }
}

TEST_F(AttacksTest, EdgeCasesOfTheTables) {
    EXPECT_EQ(popcount(tables.line_attacks[ORIENT_RANK][0][0] | tables.line_attacks[ORIENT_FILE][0][0]), 14);
    for (int k = 0; k < 64; ++k) EXPECT_EQ(tables.line_attacks[ORIENT_A1H8][56][k], 0u) << k;
    EXPECT_EQ(direction(4, 60), 8);
    EXPECT_EQ(direction(0, 63), 9);
    EXPECT_EQ(direction(7, 56), 7);
    EXPECT_EQ(direction(0, 17), 0);
    EXPECT_EQ(direction(5, 5), 0);
    EXPECT_EQ(between(4, 7, 1), square_bit(5) | square_bit(6));
    EXPECT_EQ(tables.square_masks[27][NEIGHBOURS], tables.king_attacks[27]);
    EXPECT_EQ(tables.square_masks[8][WHITE_PAWN_SQUARE], tables.square_masks[16][WHITE_PAWN_SQUARE]);
}

TEST_F(AttacksTest, AttackQueriesAgreeWithPieceByPieceTests) {
    for (const PerftCase& c : perft_cases()) {
        Position p = position_from_fen(c.fen);
        for (Square s = 0; s < 64; ++s)
            for (int colour = BLACK; colour <= WHITE; ++colour) {
                Bitboard expected = 0;
                for (Square from = 0; from < 64; ++from) {
                    int piece = p.board[from];
                    if (piece == EMPTY || colour_of(piece) != colour) continue;
                    Bitboard reach = 0;
                    switch (type_of(piece)) {
                        case PAWN: reach = pawn_attacks_from(from, colour); break;
                        case KNIGHT: reach = tables.knight_attacks[from]; break;
                        case BISHOP: reach = walk(from, p.all_pieces, BISHOP_STEPS); break;
                        case ROOK: reach = walk(from, p.all_pieces, ROOK_STEPS); break;
                        case QUEEN:
                            reach = walk(from, p.all_pieces, BISHOP_STEPS) | walk(from, p.all_pieces, ROOK_STEPS);
                            break;
                        default: reach = tables.king_attacks[from];
                    }
                    if (reach & square_bit(s)) expected |= square_bit(from);
                }
                EXPECT_EQ(attackers(p, s, colour), expected);
                EXPECT_EQ(attacked(p, s, colour), expected != 0);
            }
    }
}

TEST_F(AttacksTest, PinsAndXrays) {
    // The knight on d2 is pinned by the rook on d8; the bishop on b3 is not pinned.
    Position p = position_from_fen("3r3k/8/8/8/8/1B6/3N4/3K4 w - - 0 1");
    EXPECT_TRUE(is_pinned(p, WHITE, 11));
    EXPECT_FALSE(is_pinned(p, WHITE, 17));
    // Behind the knight, looking from d1 upwards, stands the rook on d8.
    EXPECT_EQ(xray_behind(p, 0, 11, 8), square_bit(59));
}

}  // namespace
