#include <random>

#include "board/keys.h"
#include "board_test_support.h"
#include "common/pieces.h"

namespace {

class MakeMoveTest : public BoardTest {};

Move find_move(Position& p, Square from, Square to) {
    for (Move m : legal_moves(p))
        if (move_from(m) == from && move_to(m) == to) return m;
    ADD_FAILURE() << "no move " << from << "-" << to;
    return NULL_MOVE;
}

void play(Position& p, Square from, Square to) {
    make_move(p, find_move(p, from, to));
}

// Makes and unmakes every move of the node, checking the views and the predicted key after each
// make and the exact restoration after each unmake; then walks one level deeper.
void check_tree(Position& p, int depth) {
    for (Move m : node_moves(p)) {
        Position before = p;
        uint64_t predicted_key = hash_key_after(p, m);
        make_move(p, m);
        expect_consistent(p);
        ASSERT_EQ(p.hash_key, predicted_key) << "move " << std::hex << m;
        if (depth > 1 && !leaves_king_attacked(p)) check_tree(p, depth - 1);
        unmake_move(p);
        ASSERT_TRUE(same_position(p, before)) << "move " << std::hex << m;
    }
}

TEST_F(MakeMoveTest, EveryMoveOfThePerftTreesRoundTrips) {
    for (const PerftCase& c : perft_cases()) {
        Position p = position_from_fen(c.fen);
        check_tree(p, SANITIZED_BUILD ? 2 : 3);
    }
}

TEST_F(MakeMoveTest, RandomGamesKeepEveryViewConsistent) {
    std::mt19937 rng(12345);
    for (int game = 0; game < (SANITIZED_BUILD ? 20 : 200); ++game) {
        Position p = start_position();
        for (int ply = 0; ply < 300; ++ply) {
            std::vector<Move> moves = legal_moves(p);
            if (moves.empty() || p.half_moves >= 100) break;
            check_tree(p, 1);
            make_move(p, moves[rng() % moves.size()]);
            expect_consistent(p);
            ASSERT_EQ(p.hist_top, ply + 1);
        }
    }
}

TEST_F(MakeMoveTest, SkipAndNullMoves) {
    Position p = position_from_fen("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
    ASSERT_EQ(p.ep_square, 45);
    Position before = p;
    EXPECT_EQ(hash_key_after(p, SKIP_MOVE), p.hash_key);
    EXPECT_EQ(hash_key_after(p, NULL_MOVE), ~(p.hash_key ^ ep_key(45)));
    make_move(p, SKIP_MOVE);
    EXPECT_EQ(p.hist_top, 1);
    unmake_move(p);
    EXPECT_TRUE(same_position(p, before));

    make_move(p, NULL_MOVE);
    EXPECT_EQ(p.hash_key, ~(before.hash_key ^ ep_key(45)));
    EXPECT_EQ(p.hash_key, compute_hash_key(p));
    EXPECT_EQ(p.ep_square, 0);
    EXPECT_EQ(p.half_moves, 0);
    EXPECT_EQ(p.turn, BLACK);
    unmake_move(p);
    EXPECT_TRUE(same_position(p, before));
}

TEST_F(MakeMoveTest, EnPassantSquareOnlyWhenAPawnCanTake) {
    Position p = start_position();
    play(p, 12, 28);  // e2e4: no black pawn attacks e3
    EXPECT_EQ(p.ep_square, 0);
    EXPECT_EQ(p.hash_key, compute_hash_key(p));
    play(p, 51, 35);  // d7d5
    play(p, 28, 36);  // e4e5
    play(p, 53, 37);  // f7f5, passing the white pawn on e5
    EXPECT_EQ(p.ep_square, 45);
    EXPECT_EQ(p.hash_key, compute_hash_key(p));
    Position without_ep = p;
    without_ep.ep_square = 0;
    EXPECT_EQ(p.hash_key ^ compute_hash_key(without_ep), key_table[KEY_ROW_EP_RANK6][5]);

    Move exf6 = find_move(p, 36, 45);
    EXPECT_EQ(exf6, make_move_value(36, 45, WPAWN));
    make_move(p, exf6);
    EXPECT_EQ(p.board[37], EMPTY);
    EXPECT_EQ(p.pawn_count[BLACK], 7);
    expect_consistent(p);
}

TEST(MakeMoveDeathTest, CapturingAKingEndsTheProcessWithAReport) {
    init_attack_tables();
    Position p = position_from_fen("4k3/4Q3/8/8/8/8/8/4K3 b - - 0 1");
    make_move(p, NULL_MOVE);  // leaves the black king en prise
    EXPECT_EXIT(make_move(p, make_move_value(52, 60, WQUEEN, BKING)), ::testing::ExitedWithCode(255),
                "Unknown piece type 12 captured");
}

}  // namespace
