// An evaluation with its own king and pawn caches, for the tests of the evaluation terms.
#pragma once

#include "board_test_support.h"
#include "eval/evaluate.h"

class EvalTest : public BoardTest {
protected:
    void SetUp() override {
        size_table(king_hash, "King hash", 64 * 1024);
        size_table(pawn_hash, "Pawn hash", 16 * 1024);
    }
    void TearDown() override {
        king_hash.release();
        pawn_hash.release();
    }
    static void size_table(hash_table& table, const char* name, uint64_t bytes) {
        table.init(name, 64, 0);
        table.wanted = bytes;
        table.resize();
    }
    int eval(const Position& p) { return evaluate(p, info, caches); }
    // Evaluates `fen`, then clears what the piece loops gather so that a test can run one of
    // them again on the call data the evaluation prepared.
    Position prepared(const char* fen) {
        Position p = position_from_fen(fen);
        eval(p);
        for (int c : {BLACK, WHITE}) {
            info.king_attack[c] = p.pieces[piece_of(QUEEN, c)] != 0 && p.piece_count[c] >= 2;
            info.king_attack_sum[c] = info.king_defence_sum[c] = 0;
            for (int type = KNIGHT; type <= KING; ++type) info.attacks[c][type] = 0;
        }
        info.piece_tally = 0;
        return p;
    }

    hash_table king_hash{};
    hash_table pawn_hash{};
    SearchStats stats{};
    EvalCaches caches{king_hash, pawn_hash, stats};
    EvalInfo info{};
};
