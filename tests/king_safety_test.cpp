// The king term and the king hash: cached blocks equal fresh ones, and the figures of the
// king rules that mirrored positions cannot check.
#include <gtest/gtest.h>

#include <cstring>

#include "eval/king_terms.h"
#include "eval/terms.h"
#include "eval_test_support.h"
#include "tactics_positions.h"

namespace {

class KingSafety : public EvalTest {};

TEST_F(KingSafety, KingHashHitGivesTheBlockAFreshComputationGives) {
    hash_table no_table{};
    SearchStats fresh_stats{};
    EvalCaches uncached{no_table, no_table, fresh_stats};
    EvalInfo fresh{};
    int compared = 0;
    for_each_corpus_position([&](Position& p) {
        const uint64_t hits = stats.khash_hits;
        const int score = eval(p);
        if (stats.khash_hits == hits) return;
        ++compared;
        EXPECT_EQ(evaluate(p, fresh, uncached), score);
        EXPECT_EQ(std::memcmp(&fresh.block, &info.block, sizeof info.block), 0);
    });
    EXPECT_GT(compared, 200);
}

TEST_F(KingSafety, RookShutInByItsOwnKing) {
    struct Case {
        const char* shut, *free;
        int difference;  // in the king term, White's view
    };
    const std::vector<Case> cases = {
        {"6k1/5ppp/8/8/8/8/5PPP/6KR w - - 0 1", "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", -45},
        // The g-file is open: the rook gets out by g1.
        {"6k1/5ppp/8/8/8/8/5P1P/5K1R w - - 0 1", "6k1/5ppp/8/8/8/8/5P1P/R4K2 w - - 0 1", 0},
        // A king still allowed to castle on that wing frees the rook by castling.
        {"4k3/8/8/8/8/8/5PPP/4K2R w K - 0 1", "4k3/8/8/8/8/8/5PPP/R3K3 w - - 0 1", 0},
        {"4k3/8/8/8/8/8/5PPP/4K2R w - - 0 1", "4k3/8/8/8/8/8/5PPP/R3K3 w - - 0 1", -45},
        {"r1k5/ppp5/8/8/8/8/8/4K3 w - - 0 1", "2k4r/ppp5/8/8/8/8/8/4K3 w - - 0 1", 45},
    };
    for (const Case& c : cases) {
        Position p = prepared(c.shut);
        const int shut = king_term(p, info);
        p = prepared(c.free);
        EXPECT_EQ(shut - king_term(p, info), c.difference) << c.shut;
    }
}

TEST_F(KingSafety, DevelopmentCounts) {
    struct Case {
        const char* fen;
        int colour, wing, count;
    };
    const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const std::vector<Case> cases = {
        // Two pieces at home and the bishop behind e2 and g2; three pieces and the bishop.
        {start, WHITE, KING_WING, 3},
        {start, WHITE, QUEEN_WING, 4},
        {start, BLACK, KING_WING, 3},
        {start, BLACK, QUEEN_WING, 4},
        {"rnbqkbnr/pppppppp/8/8/8/4PN2/PPPPBPPP/RNBQK2R w KQkq - 0 1", WHITE, KING_WING, 0},
        // A knight at home with e2, f3 and h3 taken by its own side cannot come out.
        {"4k3/8/8/8/8/5P1P/4P3/4K1N1 w - - 0 1", WHITE, KING_WING, 2},
        {"rn2k3/3p4/p1p5/8/8/8/8/4K3 b - - 0 1", BLACK, QUEEN_WING, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(development_count(position_from_fen(c.fen), c.colour, c.wing), c.count) << c.fen;
}

TEST_F(KingSafety, GatheredAttackIsRaisedOnlyAgainstTheQueen) {
    // Without a queen to join it the product is negative: the gathered attack stays as it was.
    const Position p = prepared("4k3/8/8/8/8/8/5PPP/6K1 w - - 0 1");
    info.king_attack_sum[BLACK] = 100;
    king_danger(p, info, WHITE);
    EXPECT_EQ(info.king_attack_sum[BLACK], 100);
}

TEST_F(KingSafety, WithoutQueensNoAttackIsGathered) {
    eval(position_from_fen("r1b1k2r/pppp1ppp/2n2n2/2b1p3/2B1P3/2N2N2/PPPP1PPP/R1B1K2R w KQkq - 0 1"));
    for (int c : {BLACK, WHITE}) {
        EXPECT_EQ(info.king_attack_sum[c], 0);
        EXPECT_EQ(info.king_defence_sum[c], 0);
        EXPECT_EQ(info.king_attack[c], 0);
    }
}

}  // namespace
