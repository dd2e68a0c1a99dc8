// Sorting moves by score: highest first, equal scores by the higher move value, any list a
// generator can produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <utility>
#include <vector>

#include "board/movegen.h"

namespace {

using Scored = std::pair<int, Move>;

std::vector<Scored> sorted_by_hand(std::vector<Scored> v) {
    std::sort(v.begin(), v.end(), [](const Scored& a, const Scored& b) { return a > b; });
    return v;
}

std::vector<Scored> sorted_by_engine(const std::vector<Scored>& v) {
    std::vector<int> scores;
    std::vector<Move> moves;
    for (const Scored& s : v) scores.push_back(s.first), moves.push_back(s.second);
    sort_moves(scores.data(), moves.data(), int(v.size()));
    std::vector<Scored> out;
    for (size_t i = 0; i < v.size(); ++i) out.emplace_back(scores[i], moves[i]);
    return out;
}

std::vector<Scored> random_list(std::mt19937& rng, int n, int score_range) {
    std::vector<Scored> v;
    for (int i = 0; i < n; ++i)
        v.emplace_back(int(rng() % score_range) - score_range / 2, Move(rng() & 0xFFFFFF));
    return v;
}

TEST(SortMoves, MatchesAReferenceSort) {
    std::mt19937 rng(11);
    std::vector<std::vector<Scored>> lists(3);
    for (int i = 0; i < MAX_MOVES; ++i) {  // ordered, reversed and equal scores
        lists[0].emplace_back(i, Move(1000 + i));
        lists[1].emplace_back(MAX_MOVES - i, Move(1000 + i));
        lists[2].emplace_back(5, Move(1000 + i * 7 % MAX_MOVES));
    }
    for (int n = 0; n <= MAX_MOVES; ++n) lists.push_back(random_list(rng, n, 50));
    // Narrow ranges force ties, which the move value must break.
    for (int round = 0; round < 200; ++round)
        lists.push_back(random_list(rng, MAX_MOVES, round % 2 ? 7 : 100000));
    for (const auto& v : lists) EXPECT_EQ(sorted_by_engine(v), sorted_by_hand(v)) << v.size();
}

TEST(SortMoves, ExtremeScoresAndMarkedMoves) {
    // Scores use the whole int range; moves may carry the search's marks in the top bits and
    // still order as unsigned values among equal scores.
    std::vector<Scored> v = {{INT_MIN, 5},  {INT_MAX, 7},         {0, 0xFFFFFFFFu},
                             {-1, 3},       {0, MOVE_MATE_MARK | 9}, {INT_MIN, 0x80000001u},
                             {1, 2},        {0, 4},                {INT_MAX, 0}};
    const std::vector<Scored> expected = {
        {INT_MAX, 7}, {INT_MAX, 0}, {1, 2},  {0, 0xFFFFFFFFu},      {0, MOVE_MATE_MARK | 9},
        {0, 4},       {-1, 3},      {INT_MIN, 0x80000001u}, {INT_MIN, 5}};
    EXPECT_EQ(sorted_by_engine(v), expected);
}

TEST(SortMoves, LongerListSortsItsFirstFullListAndLeavesTheRest) {
    std::mt19937 rng(13);
    std::vector<Scored> v = random_list(rng, MAX_MOVES + 40, 1000);
    std::vector<Scored> got = sorted_by_engine(v);
    std::vector<Scored> head(v.begin(), v.begin() + MAX_MOVES);
    EXPECT_EQ(std::vector<Scored>(got.begin(), got.begin() + MAX_MOVES), sorted_by_hand(head));
    EXPECT_TRUE(std::equal(got.begin() + MAX_MOVES, got.end(), v.begin() + MAX_MOVES));
}

}  // namespace
