// Pawn structure: weak-pawn penalties, the block's files, flags and weak sets, and cached
// blocks that match a fresh computation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/keys.h"
#include "eval/evaluate.h"
#include "eval/pawn_rules.h"
#include "eval/square_sets.h"
#include "eval/terms.h"
#include "tactics_positions.h"

namespace {

class PawnStructure : public BoardTest {};

PawnKingBlock fresh_pawn_block(const Position& p) {
    PawnKingBlock block{};
    compute_pawn_structure(p, block);
    return block;
}

struct WeakCase {
    const char* fen;
    const char* square;
    bool isolated;
    int mg, eg;
};

TEST_F(PawnStructure, WeakPawnPenalties) {
    const std::vector<WeakCase> cases = {
        // An isolated d-pawn on a file open ahead; attacked in front it is also stopped.
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "d2", true, 25, 18},
        {"4k3/8/8/8/4p3/8/3P4/4K3 w - - 0 1", "d2", true, 26, 19},
        {"4k3/3p4/8/8/8/8/8/4K3 w - - 0 1", "d7", true, 25, 18},
        {"4k3/3p4/8/8/8/8/3P4/4K3 w - - 0 1", "d2", true, 8, 16},
        {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", "a2", true, 18, 18},
        // Left behind by c4 and e4, its stop square held by two enemy pawns.
        {"4k3/8/8/2p1p3/2P1P3/3P4/8/4K3 w - - 0 1", "d3", false, 37, 3},
        {"4k3/8/2p1p3/3p4/2P1P3/3P4/8/4K3 b - - 0 1", "d5", false, 0, 0},
        {"4k3/8/8/8/8/3P4/2P5/4K3 w - - 0 1", "d3", false, 0, 0},
        // A neighbour behind can step up to defend it.
        {"4k3/8/8/8/3P4/8/2P5/4K3 w - - 0 1", "d4", false, 0, 0},
    };
    for (const WeakCase& c : cases) {
        const Position p = position_from_fen(c.fen);
        const Square s = sq(c.square);
        const int colour = colour_of(p.board[s]);
        const Bitboard own = p.pieces[piece_of(PAWN, colour)],
                       enemy = p.pieces[piece_of(PAWN, colour ^ 1)];
        const StagePair penalty = c.isolated ? isolated_penalty(s, colour, own, enemy)
                                             : backward_penalty(s, colour, own, enemy);
        EXPECT_EQ(penalty.mg, c.mg) << c.fen;
        EXPECT_EQ(penalty.eg, c.eg) << c.fen;
    }
}

struct BlockCase {
    const char* fen;
    int passer_files[2], candidate_files[2];  // [BLACK], [WHITE]
    int flags;
    const char* weak[2];
};

TEST_F(PawnStructure, BlockFields) {
    const std::vector<BlockCase> cases = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", {0, 0}, {0, 0}, 0, {"", ""}},
        // A passer on e5 defended from d4 is supported; on e3 it is not far enough up. The
        // chain's base on d4 has no neighbour able to defend it.
        {"4k3/8/8/4P3/3P4/8/8/4K3 w - - 0 1",
         {0, 0x18},
         {0, 0},
         WHITE_SUPPORTED_PASSER,
         {"", "d4"}},
        {"4k3/8/8/8/8/4P3/3P4/4K3 w - - 0 1", {0, 0x18}, {0, 0}, 0, {"", ""}},
        {"4k3/8/8/3p4/4p3/8/8/4K3 w - - 0 1",
         {0x18, 0},
         {0, 0},
         BLACK_SUPPORTED_PASSER,
         {"d5", ""}},
        // a2 gets past b5 with b2's help; b5 alone is isolated.
        {"4k3/8/8/1p6/8/8/PP6/4K3 w - - 0 1", {0, 0}, {0, 0x01}, 0, {"b5", ""}},
        {"4k3/pp6/8/8/1P6/8/8/4K3 w - - 0 1", {0, 0}, {0x01, 0}, 0, {"", "b4"}},
        // Doubled and isolated: both weak, the rear one not passed.
        {"4k3/8/8/8/2P5/2P5/8/4K3 w - - 0 1", {0, 0x04}, {0, 0}, 0, {"", "c3c4"}},
    };
    for (const BlockCase& c : cases) {
        const PawnKingBlock block = fresh_pawn_block(position_from_fen(c.fen));
        for (int colour : {BLACK, WHITE}) {
            EXPECT_EQ(block.passer_files[colour], c.passer_files[colour]) << c.fen;
            EXPECT_EQ(block.candidate_files[colour], c.candidate_files[colour]) << c.fen;
            EXPECT_EQ(block.weak_pawns[colour], named(c.weak[colour])) << c.fen;
        }
        EXPECT_EQ(block.flags, c.flags) << c.fen;
    }
    const PawnKingBlock empty =
        fresh_pawn_block(position_from_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_EQ(empty.empty_files, 0xFF);
    EXPECT_EQ(empty.structure[MIDDLEGAME], 0);
    EXPECT_EQ(empty.structure[ENDGAME], 0);
}

struct CandidateCase {
    const char* fen;
    const char* pawn;
    const char* enemy_king;  // "" for none
    int mg, eg;              // 0, 0: not a candidate
};

TEST_F(PawnStructure, CandidateScores) {
    const std::vector<CandidateCase> cases = {
        // b4 gets past the sentry a6 on b5 with c3 coming up: three steps, factor 41.
        {"1k6/8/p7/8/1P6/2P5/8/4K3 w - - 0 1", "b4", "", 3, 14},
        {"1k6/8/p7/8/1P6/2P5/8/4K3 w - - 0 1", "b4", "b8", 3, 14},
        {"7k/8/p7/8/1P6/2P5/8/4K3 w - - 0 1", "b4", "h8", 5, 25},
        {"1k6/8/p7/8/1P6/2P5/8/4K3 w - - 0 1", "c3", "", 0, 0},    // b4 may pass, c3 is stuck
        {"1k6/8/p7/1p6/1P6/2P5/8/4K3 w - - 0 1", "b4", "", 0, 0},  // a pawn ahead on its file
        {"1k6/p7/p7/8/1P6/2P5/8/4K3 w - - 0 1", "b4", "", 0, 0},   // b6 behind b5 guarded too
        {"1k6/8/p1p5/8/1P6/2P5/8/4K3 w - - 0 1", "b4", "", 0, 0},  // two sentries, one helper
        {"4k3/8/8/6p1/8/7p/6P1/4K3 w - - 0 1", "g2", "", 0, 0},    // passer b, not candidate
    };
    for (const CandidateCase& c : cases) {
        const Position p = position_from_fen(c.fen);
        const Square s = sq(c.pawn);
        const int colour = colour_of(p.board[s]);
        const PawnKingBlock block = fresh_pawn_block(p);
        const StagePair score = candidate_score(
            s, colour, p.pieces[piece_of(PAWN, colour)], p.pieces[piece_of(PAWN, colour ^ 1)],
            block.safe_advance[colour], *c.enemy_king ? sq(c.enemy_king) : NO_KING);
        EXPECT_EQ(score.mg, c.mg) << c.fen << " " << c.pawn;
        EXPECT_EQ(score.eg, c.eg) << c.fen << " " << c.pawn;
    }
}

TEST_F(PawnStructure, CachedBlocksEqualFreshOnes) {
    // Small caches, so that entries are overwritten and reused along the games.
    hash_table king_hash{}, pawn_hash{};
    for (hash_table* table : {&king_hash, &pawn_hash}) {
        table->init("cache", 64, 0);
        table->wanted = 4096;
        table->resize();
    }
    SearchStats stats{};
    EvalCaches caches{king_hash, pawn_hash, stats};
    EvalInfo info{};
    for_each_corpus_position([&](Position& p) {
        evaluate(p, info, caches);
        PawnKingBlock fresh = fresh_pawn_block(p);
        add_candidate_scores(p, fresh);
        compute_shelters(p, fresh);
        fresh.key = king_pawn_key(p);
        ASSERT_EQ(std::memcmp(&fresh, &info.block, sizeof fresh), 0) << fen_of(p);
    });
    EXPECT_GT(stats.khash_hits, 0u);
    EXPECT_GT(stats.phash_hits, 0u);
    king_hash.release();
    pawn_hash.release();
}

}  // namespace
