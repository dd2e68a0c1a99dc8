// Knights, bishops, rooks and queens: the figures of the piece rules that the mirrored-position
// test cannot see, because a wrong figure is wrong for both colours alike.
#include <gtest/gtest.h>

#include "eval/eval_options.h"
#include "eval/mobility.h"
#include "eval/piece_terms.h"
#include "eval_test_support.h"
#include "tactics_positions.h"

namespace {

class PieceTerms : public EvalTest {};

TEST_F(PieceTerms, KnightOutpostFigures) {
    struct Case {
        const char* fen;
        int outpost;  // the structure part less the knight's count adjustment (0 + 2)
    };
    const std::vector<Case> cases = {
        // Defended by one pawn, no pawn can ever chase it: 165 * 22 / 256.
        {"k7/7p/n7/4N3/3P4/8/8/R5KR w - - 0 1", 14},
        // By both, nothing in front on files d to f: 525 * 22 / 256.
        {"k7/7p/n7/4N3/3P1P2/8/8/R5KR w - - 0 1", 45},
        // A pawn on f6 attacks the square: no outpost at all.
        {"k7/8/n4p2/4N3/3P4/8/8/R5KR w - - 0 1", 0},
        // Nor when a pawn on f7 can safely walk to f6.
        {"k7/5p2/n7/4N3/3P4/8/8/R5KR w - - 0 1", 0},
        // Undefended, nothing ahead: 80 * 22 / 256; with a pawn right in front 220 * 22 / 256.
        {"k7/7p/n7/4N3/8/8/8/R5KR w - - 0 1", 6},
        {"k7/7p/n3p3/4N3/8/8/8/R5KR w - - 0 1", 18},
        // Defended and near the enemy king: v / 32.
        {"8/6kp/n7/4N3/3P4/8/8/R5KR w - - 0 1", 5},
    };
    for (const Case& c : cases) {
        const Position p = prepared(c.fen);
        EXPECT_EQ(knight_scores(p, info, WHITE).structure - 2, c.outpost) << c.fen;
    }
}

TEST_F(PieceTerms, TrappedBishopCostsBothParts) {
    // The same lines blocked by a knight instead of the pawn: only the trap differs.
    const char* pairs[][2] = {
        {"4k3/B7/1p6/8/8/8/8/4K3 w - - 0 1", "4k3/B7/1n6/8/8/8/8/4K3 w - - 0 1"},
        {"4k3/8/8/8/8/6P1/7b/4K3 b - - 0 1", "4k3/8/8/8/8/6N1/7b/4K3 b - - 0 1"},
    };
    for (auto [trapped, free] : pairs) {
        const Position p = prepared(trapped);
        const int us = p.pieces[WBISHOP] ? WHITE : BLACK;
        const MinorParts shut = bishop_scores(p, info, us);
        const Position q = prepared(free);
        const MinorParts open = bishop_scores(q, info, us);
        EXPECT_EQ(shut.placement - open.placement, -62) << trapped;
        EXPECT_EQ(shut.structure - open.structure, -62) << trapped;
    }
}

TEST_F(PieceTerms, MobilityCountsFreeSquaresAndStepsWhenNotSmooth) {
    // A bishop in the corner behind a piece can go nowhere.
    const Position p = prepared("4k3/8/8/8/8/8/1P6/B3K3 w - - 0 1");
    EXPECT_EQ(line_mobility(ORIENT_A1H8, sq("a1"), p.a1h8_diag), 0);
    EXPECT_EQ(line_mobility(ORIENT_H1A8, sq("a1"), p.h1a8_diag), 0);
    const int smooth = bishop_scores(p, info, WHITE).placement;
    smooth_mobility = 0;
    const int stepped = bishop_scores(p, info, WHITE).placement;
    smooth_mobility = 1;
    EXPECT_EQ(stepped - smooth, -4 * 200 / 128);
    // An empty rank from a1 reaches h1 alike whether the king stands there or not: the line's
    // end squares are never in the occupancy index.
    const Position king_on_end = position_from_fen("4k3/8/8/8/8/8/8/R6K w - - 0 1");
    const Position end_free = position_from_fen("4k3/8/8/8/8/8/7K/R7 w - - 0 1");
    EXPECT_EQ(line_mobility(ORIENT_RANK, sq("a1"), king_on_end.all_pieces),
              line_mobility(ORIENT_RANK, sq("a1"), end_free.all_pieces));
}

TEST_F(PieceTerms, RookOnTheSeventhCuttingOffTheKing) {
    // The same rook with the same free squares, the enemy king on its back rank or away.
    Position p = prepared("4k3/R7/8/8/8/8/8/4K3 w - - 0 1");
    const int king_cut_off = rook_scores(p, info, WHITE);
    p = prepared("8/R7/8/8/8/8/8/4K2k w - - 0 1");
    EXPECT_EQ(king_cut_off - rook_scores(p, info, WHITE), 6 + 10);
    // Two rooks that see each other on the seventh take nothing from it.
    p = prepared("4k3/R6R/8/8/8/8/8/4K3 w - - 0 1");
    const int doubled = rook_scores(p, info, WHITE);
    p = prepared("8/R6R/8/8/8/8/8/2k1K3 w - - 0 1");
    EXPECT_EQ(doubled, rook_scores(p, info, WHITE));
}

TEST_F(PieceTerms, RookDefendsItsKingFromTheFilesBesideIt) {
    struct Case {
        const char* fen;
        int defence;  // open file: 30, 25, 18 by the distance to the king's file
    };
    const std::vector<Case> cases = {
        {"r2k3q/8/8/8/8/7R/8/7K w - - 0 1", 30},
        {"r2k3q/8/8/8/8/5R2/8/7K w - - 0 1", 18},
        // A corner king's wing reaches one file in from it, no further.
        {"r2k3q/8/8/8/8/4R3/8/7K w - - 0 1", 0},
        {"r2k3q/8/8/8/8/6R1/8/6K1 w - - 0 1", 30},
        {"r2k3q/8/8/8/8/4R3/8/6K1 w - - 0 1", 0},
    };
    for (const Case& c : cases) {
        const Position p = prepared(c.fen);
        rook_scores(p, info, WHITE);
        EXPECT_EQ(info.king_defence_sum[WHITE], c.defence) << c.fen;
    }
}

}  // namespace
