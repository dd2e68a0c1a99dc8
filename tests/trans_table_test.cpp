#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/notation.h"
#include "board_test_support.h"
#include "frontend/engine.h"
#include "log_capture.h"
#include "search/search_options.h"
#include "search/trans_table.h"

static_assert(MAX_THREADS == MAX_SEARCH_THREADS);

namespace {

// Keys of one bucket: the same high half, different low halves.
uint64_t bucket_key(int n) { return 0x1234567800000000ull | uint64_t(n + 1); }

class TransTableTest : public BoardTest {
protected:
    static void SetUpTestSuite() {
        BoardTest::SetUpTestSuite();
        capture_log();
    }
    void SetUp() override {
        share.init("Transposition Table", 64, 0);
        share.wanted = 64 * 64;
        share.resize();
        tt_shares[0] = &share;
        tt_share_count = 1;
        tt_age = 0;
        multipv = 1;
    }
    void TearDown() override {
        share.release();
        tt_share_count = 0;
        multipv = 1;
    }
    // A result whose type follows from its window around `best`.
    void store(uint64_t key, int type, int depth, int best, int ply = 1, Move move = 0) {
        int alpha = type == TT_ALL ? best : best - 1, beta = type == TT_CUT ? best : best + 1;
        trans_table_store(key, {best, move, 0, alpha, beta, depth, ply, 0, false, false, false, false},
                          stats);
    }
    TTProbe probe(uint64_t key, TTQuery node = {1, 1, -10000, 10000, false}) {
        p.hash_key = key;
        TTProbe out;
        trans_table_probe(p, node, out, stats);
        return out;
    }
    Move move(const char* text) {
        Move m = 0;
        int used;
        EXPECT_EQ(parse_move(p, text, &used, &m), PARSE_OK) << text;
        return m;
    }

    hash_table share;
    SearchStats stats{};
    Position p = start_position();
};

TEST_F(TransTableTest, DataWordFollowsTheBitTable) {
    TTFields f{17, true, TT_CUT, true, false, true, 5, -123, 45, WQUEEN, 60, 52};
    uint64_t word = 17 | 1ull << 5 | 2ull << 6 | 1ull << 8 | 1ull << 10 | 17ull << 11 |
                    9877ull << 18 | 10045ull << 33 | 11ull << 48 | 60ull << 52 | 52ull << 58;
    EXPECT_EQ(tt_pack(f), word);
    EXPECT_EQ(tt_pack(tt_unpack(word)), word);
    // A tablebase result at depth 127 keeps to its field instead of spilling into the score.
    TTFields tablebase{0, false, TT_PV, false, false, false, 127, 0, 0, 0, 0, 0};
    EXPECT_EQ(tt_unpack(tt_pack(tablebase)).score, 0);
    EXPECT_EQ(tt_unpack(tt_pack(tablebase)).depth, 115);
}

TEST_F(TransTableTest, MateScoresAreStoredFromTheNode) {
    struct Case { int score, ply, stored, read_ply, read; };
    for (Case c : std::vector<Case>{{9990, 5, 9995, 3, 9992}, {-9990, 5, -9995, 3, -9992},
                                    {9999, 5, 10000, 0, 10000}, {9400, 5, 9400, 3, 9400}}) {
        EXPECT_EQ(tt_score_to_table(c.score, c.ply), c.stored) << c.score;
        EXPECT_EQ(tt_score_from_table(c.stored, c.read_ply), c.read) << c.score;
    }
    store(bucket_key(0), TT_PV, 4, 9990, 5);
    EXPECT_EQ(tt_unpack(tt_bucket(bucket_key(0))->slots[0].data).score, 9995);
    EXPECT_EQ(probe(bucket_key(0), {3, 1, -10000, 10000, false}).score, 9992);
}

TEST_F(TransTableTest, TornSlotDoesNotMatch) {
    store(bucket_key(0), TT_CUT, 3, 10);
    uint64_t first_check = tt_bucket(bucket_key(0))->slots[0].check;
    store(bucket_key(0), TT_CUT, 6, 90);
    tt_bucket(bucket_key(0))->slots[0].check = first_check;
    EXPECT_FALSE(probe(bucket_key(0)).found);
    EXPECT_EQ(stats.tt_probes, 1u);
    EXPECT_EQ(stats.tt_pings, 0u);
}

TEST_F(TransTableTest, ReplacementPrefersShallowStaleAndNonExactSlots) {
    // Same depth and age: the exact entry in the first slot outlives the bound behind it.
    store(bucket_key(0), TT_PV, 5, 0);
    for (int i = 1; i < 5; ++i) store(bucket_key(i), TT_CUT, 5, 0);
    EXPECT_TRUE(probe(bucket_key(0)).found);
    EXPECT_FALSE(probe(bucket_key(1)).found);
    // An entry one search old loses against current ones a ply shallower (6 - 2 < 5).
    share.clear();
    store(bucket_key(0), TT_CUT, 6, 0);
    trans_table_next_age();
    for (int i = 1; i < 5; ++i) store(bucket_key(i), TT_CUT, 5, 0);
    EXPECT_FALSE(probe(bucket_key(0)).found);
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(probe(bucket_key(i)).found) << i;
    EXPECT_EQ(stats.tt_used, 4u);  // three empty slots of age 0 and the stale entry
}

TEST_F(TransTableTest, DeeperEntryIsOnlyRefreshedByShallowerBounds) {
    struct Case { int new_type, ply, depth_after; };
    for (Case c : std::vector<Case>{{TT_ALL, 2, 8}, {TT_CUT, 2, 8}, {TT_PV, 2, 3}, {TT_ALL, 0, 3}}) {
        share.clear();
        tt_age = 0;
        store(bucket_key(0), TT_CUT, 8, 40);
        trans_table_next_age();
        store(bucket_key(0), c.new_type, 3, -20, c.ply);
        TTFields f = tt_unpack(tt_bucket(bucket_key(0))->slots[0].data);
        EXPECT_EQ(f.depth, c.depth_after) << c.new_type << " at ply " << c.ply;
        EXPECT_EQ(f.age, 1);
    }
}

TEST_F(TransTableTest, CutoffRules) {
    struct Case { int type, entry_depth, score, half_moves, multipv; TTQuery node; bool cut; };
    const std::vector<Case> cases = {
        {TT_PV, 6, 50, 0, 1, {1, 6, 100, 200, false}, true},
        {TT_PV, 6, 50, 0, 1, {1, 7, -100, 100, false}, false},
        {TT_CUT, 6, 50, 0, 1, {1, 6, 0, 50, false}, true},
        {TT_CUT, 6, 50, 0, 1, {1, 6, 0, 51, false}, false},
        {TT_CUT, 6, 50, 0, 1, {1, 7, 0, 40, false}, false},
        {TT_CUT, 2, 9600, 0, 1, {1, 10, 0, 9000, false}, true},
        {TT_ALL, 6, 50, 0, 1, {1, 6, 50, 100, false}, true},
        {TT_ALL, 6, 50, 0, 1, {1, 6, 49, 100, false}, false},
        {TT_PV, 6, 50, 0, 1, {1, 6, -100, 100, true}, false},
        {TT_PV, 6, 50, 80, 1, {1, 6, -100, 100, false}, false},
        {TT_PV, 6, 50, 79, 1, {1, 6, -100, 100, false}, true},
        {TT_PV, 6, 50, 0, 1, {0, 6, -100, 100, false}, true},
        {TT_PV, 6, 50, 0, 2, {0, 6, -100, 100, false}, false},
        {TT_PV, 6, 50, 0, 2, {1, 6, -100, 100, false}, true},
    };
    for (const Case& c : cases) {
        share.clear();
        store(p.hash_key, c.type, c.entry_depth, c.score, 1, move("e2e4"));
        p.half_moves = c.half_moves;
        multipv = c.multipv;
        TTProbe out = probe(p.hash_key, c.node);
        EXPECT_EQ(out.cutoff, c.cut) << "type " << c.type << " depth " << c.node.depth << " window "
                                     << c.node.alpha << "," << c.node.beta << " half moves "
                                     << c.half_moves << " ply " << c.node.ply << " multipv " << c.multipv;
        EXPECT_EQ(out.move, move("e2e4"));
    }
    EXPECT_EQ(stats.tt_pings, cases.size());
    EXPECT_EQ(stats.tt_hits, 7u);
    share.clear();
    store(p.hash_key, TT_PV, 6, 50);
    EXPECT_FALSE(probe(p.hash_key, {0, 6, -100, 100, false}).cutoff);  // the root needs a move
}

TEST_F(TransTableTest, EvaluationIsTurnedToTheSideToMove) {
    make_move(p, move("e2e4"));
    for (int ev : {12, NO_EVAL}) {
        trans_table_store(p.hash_key, {0, 0, 0, -1, 1, 5, 1, ev, false, false, false, false}, stats);
        TTProbe out = probe(p.hash_key);
        EXPECT_EQ(out.ev, ev);
        EXPECT_EQ(out.ev_stm, ev == NO_EVAL ? NO_EVAL : -ev);
    }
}

TEST_F(TransTableTest, IllegalTableMoveIsDroppedWithAMessage) {
    Position other = position_from_fen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    Move m = 0;
    int used;
    ASSERT_EQ(parse_move(other, "a1a8", &used, &m), PARSE_OK);
    store(p.hash_key, TT_PV, 9, 30, 1, m);
    TTProbe out;
    EXPECT_EQ(logged([&] { out = probe(p.hash_key); }),
              "trans_table_uncompress(): got illegal move from transposition table\n");
    EXPECT_FALSE(out.found);
    EXPECT_EQ(out.move, 0u);
    Move pv[TT_MAX_PV];
    EXPECT_EQ(trans_table_pv(p, pv, TT_MAX_PV), 0);
}

TEST_F(TransTableTest, PrincipalVariationFollowsTheTableAndStopsOnACycle) {
    const Position before = p;
    auto store_line = [&](std::vector<const char*> line) {
        for (size_t i = 0; i < line.size(); ++i) {
            Move m = move(line[i]);
            trans_table_store(p.hash_key, {0, m, 0, -1, 1, 5, 1, 0, false, i == 1, false, false}, stats);
            make_move(p, m);
        }
        for (size_t i = 0; i < line.size(); ++i) unmake_move(p);
    };
    store_line({"e2e4", "e7e5", "g1f3"});
    Move pv[TT_MAX_PV];
    ASSERT_EQ(trans_table_pv(p, pv, TT_MAX_PV), 3);
    EXPECT_EQ(pv[0], move("e2e4"));
    EXPECT_EQ(pv[1] & MOVE_SINGULAR_MARK, MOVE_SINGULAR_MARK);
    EXPECT_EQ(trans_table_pv(p, pv, 2), 2);
    EXPECT_TRUE(same_position(p, before));
    // The line walk forgives a check that differs in the low 16 bits; a probe does not.
    tt_bucket(p.hash_key)->slots[0].check ^= 0x8001;
    EXPECT_EQ(trans_table_pv(p, pv, TT_MAX_PV), 3);
    EXPECT_FALSE(probe(p.hash_key).found);

    share.clear();
    store_line({"g1f3", "g8f6", "f3g1", "f6g8"});
    ASSERT_EQ(trans_table_pv(p, pv, TT_MAX_PV), 5);  // the first move again closes the cycle
    EXPECT_EQ(pv[4], pv[0]);
    EXPECT_TRUE(same_position(p, before));
}

TEST_F(TransTableTest, TheLowHalfOfTheKeyChoosesTheShare) {
    hash_table second;
    second.init("Transposition Table", 64, 1);
    second.wanted = 64;
    second.resize();
    tt_shares[1] = &second;
    tt_share_count = 2;
    EXPECT_EQ((unsigned char*)tt_bucket(0xFFFFFFFF7FFFFFFFull), share.data + 63 * 64);
    EXPECT_EQ((unsigned char*)tt_bucket(0xFFFFFFFF80000000ull), second.data);
    tt_shares[1] = nullptr;
    EXPECT_EQ(tt_bucket(0xFFFFFFFF80000000ull), nullptr);
    second.release();
}

}  // namespace
