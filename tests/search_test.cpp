#include <atomic>
#include <cstdlib>
#include <new>

#include "board_test_support.h"
#include "board/notation.h"
#include "common/score_text.h"
#include "common/settings.h"
#include "platform/clock.h"
#include "search/node_internal.h"
#include "search/root.h"
#include "search/search_driver.h"
#include "search/search_options.h"
#include "search/search_shared.h"
#include "search/trans_table.h"

// Heap allocations made anywhere in this process, to show that a search makes none.
static std::atomic<uint64_t> allocations{0};

// The replacements pair malloc with free; the compiler cannot see that through operator new.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

class SearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        search_threads_start(1);
    }
    static void TearDownTestSuite() { search_threads_stop(); }
};

struct Outcome {
    int score;
    Move best;
    uint64_t nodes;
    int seldepth;
};

Outcome search(const Position& p, int depth) {
    request_table_clear();
    start_search(p, depth);
    while (!search_reached_limit()) sleep_ms(1);
    SearchStats stats = stop_search();
    const IterationRecord& last = search_shared.records[search_shared.record_count - 1];
    return {last.score, last.pv_length ? last.pv[0] & MOVE_IDENTITY_MASK : NULL_MOVE, stats.nodes,
            stats.seldepth};
}

Outcome search(const std::string& fen, int depth) { return search(position_from_fen(fen), depth); }

TEST_F(SearchTest, MatesAreFoundWithExactScores) {
    struct Case {
        const char* fen;
        int depth;
        int score;
        const char* text;
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 3, 9999, "MAT1"},
        {"2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1", 5, 9997, "MAT2"},
        {"4k1r1/2p3r1/1pR1p3/3pP2p/3P2qP/P4N2/1PQ4P/5R1K b - - 0 1", 5, 9997, "MAT2"},
        {"k4r2/1R4pb/1pQp1n1p/3P4/5p1P/3P2P1/r1q1R2K/8 w - - 0 1", 7, 9995, "MAT3"},
        {"r3r2k/2R3pp/pp1q1p2/8/3P3R/7P/PP3PP1/3Q2K1 w - - 0 1", 9, 9993, "MAT4"},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        Outcome o = search(p, c.depth);
        EXPECT_EQ(o.score, c.score) << c.fen;
        // Mates read from the side to move's view with the score shown as that side sees it.
        scorepov = 1;
        EXPECT_STREQ(score_text(o.score, true, false, p.turn), c.text);
        scorepov = 0;
    }
}

TEST_F(SearchTest, MatedAndStalematedRoots) {
    EXPECT_EQ(search("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 3).score, -10000);
    EXPECT_EQ(search("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 3).score, 0);
}

TEST_F(SearchTest, FiftyMoveRuleTurnsALostPositionIntoADraw) {
    EXPECT_LT(search("4k3/8/8/8/8/8/3q4/7K w - - 0 60", 4).score, -500);
    EXPECT_EQ(search("4k3/8/8/8/8/8/3q4/7K w - - 99 60", 4).score, 0);
}

TEST_F(SearchTest, ALosingSideRepeatsAPositionSeenTwice) {
    Position p = position_from_fen("1n2k3/8/8/8/8/8/8/3QK3 b - - 0 1");
    // Nb8 with the queen on d2 and White to move arises twice (from a6 and from d7); then Black
    // reaches the root with the knight on c6 for the first time.
    const Square game[][2] = {{57, 40}, {3, 11}, {40, 57}, {11, 3}, {57, 51},
                              {3, 11},  {51, 57}, {11, 3}, {57, 42}, {3, 11}};
    for (auto& m : game) make_move(p, make_move_value(m[0], m[1], p.board[m[0]]));
    Outcome o = search(p, 5);
    EXPECT_EQ(o.score, 0);
    EXPECT_EQ(o.best, make_move_value(42, 57, BKNIGHT));
}

TEST_F(SearchTest, SearchingAllocatesNothing) {
    Position p = position_from_fen(perft_cases()[1].fen);
    request_table_clear();
    start_search(p, 63);
    uint64_t before = allocations.load();
    sleep_ms(300);
    uint64_t during = allocations.load() - before;
    stop_search();
    EXPECT_EQ(during, 0u);
}

TEST_F(SearchTest, StopEndsTheSearchPromptlyAndAnotherCanFollow) {
    Position p = position_from_fen(perft_cases()[5].fen);
    Position before = p;
    start_search(p, 63);
    sleep_ms(200);
    int64_t asked = now_us();
    stop_search();
    EXPECT_LT(now_us() - asked, 100000) << "stopping took too long";
    EXPECT_TRUE(same_position(p, before));
    EXPECT_GT(search_shared.record_count, 0);
    EXPECT_EQ(search("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2).score, 9999);
}

// Quiet checks are tried at the first quiescence ply only: two queens that could check each
// other's king forever stay within a few plies of a one-ply search.
TEST_F(SearchTest, QuiescenceChecksOnlyAtItsFirstPly) {
    Outcome o = search("k7/8/8/2q5/8/8/8/4Q2K w - - 0 1", 1);
    EXPECT_LE(o.seldepth, 6);
}

TEST_F(SearchTest, FixedDepthSearchesRepeatTheirNodeCounts) {
    Position p = position_from_fen(perft_cases()[1].fen);
    Outcome first = search(p, 6), second = search(p, 6);
    EXPECT_EQ(first.nodes, second.nodes);
    EXPECT_EQ(first.best, second.best);
    EXPECT_TRUE(is_legal_move(p, first.best));
}

TEST_F(SearchTest, MultiPvKeepsTheBestScoresAndScoutsAgainstTheWorstKept) {
    CpuContext& c = *contexts[0];
    Frame root{};
    multipv = 3;
    search_shared.multipv_count = 0;
    struct Step {
        int score, low, high;
        std::vector<int> kept;
    } steps[] = {
        {10, -10000, 10, {10}},            // not full: every move is scouted from the bottom
        {20, -10000, 20, {20, 10}},
        {5, 5, 6, {20, 10, 5}},            // full: scouted just above the third best
        {15, 10, 11, {20, 15, 10}},        // a better score pushes out the worst
        {1, 10, 11, {20, 15, 10}},
    };
    for (const Step& step : steps) {
        root_multipv_update(c, root, step.score);
        EXPECT_EQ(root.scout_low, step.low) << step.score;
        EXPECT_EQ(root.scout_high, step.high) << step.score;
        std::vector<int> kept(search_shared.multipv_scores, search_shared.multipv_scores + search_shared.multipv_count);
        EXPECT_EQ(kept, step.kept);
    }
    multipv = 1;
}

// White to move with a knight up, Black threatening Ra1 mate. The null move's search ends in
// the table, which holds Black's reply and score: the reply found there decides whether a
// mate threat is noted and whether the reduced move that led here is sent back (the node ends
// at once with alpha) or the node goes on to its internal search.
TEST_F(SearchTest, NullMoveReplyIsTheTableMoveWhenTheNullSearchEndsInTheTable) {
    const Move led_here = make_move_value(48, 56, BROOK), mate = make_move_value(56, 0, BROOK);
    const Move king_move = make_move_value(63, 62, BKING);
    struct Case {
        int stored_score;
        Move stored_move;
        int parent_reduction;
        bool mate_threat;
        bool sent_back;
    } cases[] = {
        {9997, mate, 1, true, true},
        {9997, mate, 0, true, false},
        {50, mate, 1, false, true},  // the reply leaves the square the reduced move went to
        {50, king_move, 1, false, false},
    };
    CpuContext& c = *contexts[0];
    search_shared.stop = 0;
    for (const Case& k : cases) {
        request_table_clear();
        search_threads_resize();
        search_shared.stop = 0;
        c.position = position_from_fen("r6k/8/8/8/7N/8/5PPP/6K1 w - - 0 1");
        SearchStats ignored{};
        trans_table_store(hash_key_after(c.position, NULL_MOVE),
                          {k.stored_score, k.stored_move, NULL_MOVE, -MATE, MATE, 10, 2, NO_EVAL, false, false, false, false},
                          ignored);
        for (int level : {0, 1})
            if (!c.frame_stack[level].frame) c.frame_stack[level].frame = get_free_frame(c);
        StackEntry& parent = c.frame_stack[0];
        parent.search = CONT_SCOUT;
        parent.red = uint8_t(k.parent_reduction);
        parent.move = led_here;
        parent.frame->ev = NO_EVAL;
        Frame& node = *c.frame_stack[1].frame;
        node.alpha = -1, node.beta = 0, node.depth = 5, node.ply = 1;
        node.kind = 0, node.type = NODE_CUT, node.in_check = 0;
        c.top = 1;

        ASSERT_EQ(start_node(c, node).kind, Step::PUSHED);
        ASSERT_EQ(c.top, 2);
        Step null_search = start_node(c, top_frame(c));
        ASSERT_EQ(null_search.kind, Step::FINISHED);
        EXPECT_EQ(null_search.score, k.stored_score);
        --c.top;
        Step after = resume_node(c, node, CONT_NULL_MOVE, null_search.score);
        EXPECT_EQ(node.mate_threat != 0, k.mate_threat) << k.stored_score;
        EXPECT_EQ(after.kind == Step::FINISHED && after.score == node.alpha, k.sent_back) << k.stored_score;
        // The internal search of the same position stays at its node's ply.
        if (after.kind == Step::PUSHED) {
            EXPECT_EQ(top_frame(c).ply, node.ply);
        }
    }
    search_shared.stop = 1;
    c.top = -1;
}

TEST_F(SearchTest, SeveralLinesStillFindTheMate) {
    multipv = 3;
    EXPECT_EQ(search("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 4).score, 9999);
    multipv = 1;
}

}  // namespace
