#include "board/perft.h"

#include "board_test_support.h"

namespace {

class PerftTest : public BoardTest {};

// Deep counts run in the benchmark; the tests stop where a depth takes about a second.
constexpr uint64_t LEAF_LIMIT = SANITIZED_BUILD ? 300000 : 12000000;

TEST_F(PerftTest, ReferenceCountsOfThePublicPositions) {
    for (const PerftCase& c : perft_cases()) {
        Position p = position_from_fen(c.fen);
        for (size_t depth = 1; depth <= c.counts.size() && c.counts[depth - 1] <= LEAF_LIMIT; ++depth)
            EXPECT_EQ(perft(p, int(depth)), c.counts[depth - 1]) << c.fen << " depth " << depth;
    }
}

TEST_F(PerftTest, LeavesThePositionUnchanged) {
    for (const PerftCase& c : perft_cases()) {
        Position p = position_from_fen(c.fen);
        Position before = p;
        perft(p, 3);
        EXPECT_TRUE(same_position(p, before)) << c.fen;
    }
}

std::vector<std::pair<Move, uint64_t>> reported;
void record(Move move, uint64_t count) { reported.emplace_back(move, count); }

int stop_checks;
bool stop_at_second_check() { return ++stop_checks >= 2; }

// A count given up unwinds at once: nothing more is reported and the position is as it was.
TEST_F(PerftTest, AbandonedCountLeavesThePositionAndReportsNoMore) {
    Position p = start_position();
    const Position before = p;
    ASSERT_EQ(perft_max_depth(p), HISTORY_SIZE - 1);
    stop_checks = 0;
    reported.clear();
    // The first subtree alone has more moves than two check intervals.
    uint64_t counted = perft(p, 6, record, stop_at_second_check);
    EXPECT_EQ(stop_checks, 2);
    EXPECT_TRUE(reported.empty());
    EXPECT_LT(counted, uint64_t(2) * PERFT_CHECK_INTERVAL);
    EXPECT_TRUE(same_position(p, before));
}

TEST_F(PerftTest, CountsOnlyEvasionsWhenInCheck) {
    // Black is in check from the bishop on b5; every reply must deal with it.
    Position p = position_from_fen("rnbqkbnr/ppp1pppp/8/1B1p4/4P3/8/PPPP1PPP/RNBQK1NR b KQkq - 1 2");
    ASSERT_TRUE(in_check(p));
    EXPECT_EQ(perft(p, 1), 5u);
    EXPECT_EQ(perft(p, 3), 3980u);
}

}  // namespace
