// Validity and legality of single moves (hash and killer moves, moves typed by a user) against
// what the generators produce.
#include <algorithm>
#include <random>
#include <set>

#include "tactics_positions.h"

namespace {

class MoveValidity : public BoardTest {};

// Every pseudo-legal move of the side to move: captures (all targets) and quiet moves.
std::set<Move> pseudo_legal(const Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_captures(p, list, count, nullptr, ~Bitboard(0));
    gen_quiet(p, list, count);
    return {list, list + count};
}

std::set<Move> legal(Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_legal(p, list, count);
    return {list, list + count};
}

// Moves that look like real ones: a piece of the side to move, mostly the captured code the
// board shows, now and then a promotion code.
Move plausible_move(const Position& p, std::mt19937& rng) {
    Bitboard own = p.pieces[p.turn];
    int skip = int(rng() % popcount(own));
    while (skip--) own &= own - 1;
    Square from = lowest_square(own), to = Square(rng() % 64);
    int captured = rng() % 5 ? p.board[to] : int(rng() % 16);
    int promotion = rng() % 4 ? EMPTY : int(rng() % 16);
    return make_move_value(from, to, p.board[from], captured, promotion);
}

// Validity equals membership in the generated set and legality membership in the legal list;
// testing leaves the position unchanged.
void expect_agrees(Position& p, Move m, const std::set<Move>& generated,
                   const std::set<Move>& legal_set) {
    EXPECT_EQ(is_valid_move(p, m), generated.count(m) == 1) << std::hex << m;
    Position before = p;
    EXPECT_EQ(is_legal_move(p, m), legal_set.count(m) == 1) << std::hex << m;
    EXPECT_TRUE(same_position(p, before));
}

TEST_F(MoveValidity, AgreesWithTheGenerators) {
    // Moves collected from other positions are the hash-move case: mostly wrong here.
    std::vector<Move> pool;
    for_each_corpus_position([&](Position& p) {
        for (Move m : pseudo_legal(p)) pool.push_back(m);
    });
    std::sort(pool.begin(), pool.end());
    pool.erase(std::unique(pool.begin(), pool.end()), pool.end());

    std::mt19937 rng(7);
    int positions = 0, valid_foreign = 0;
    for_each_corpus_position([&](Position& p) {
        ++positions;
        const std::set<Move> generated = pseudo_legal(p), legal_set = legal(p);
        for (Move m : generated) expect_agrees(p, m, generated, legal_set);
        if (in_check(p)) {
            Move list[MAX_MOVES];
            int count = 0;
            gen_evasions(p, list, count);
            for (int i = 0; i < count; ++i) EXPECT_TRUE(is_legal_move(p, list[i]));
        }
        for (int i = 0; i < 40; ++i) {
            Move m = pool[rng() % pool.size()];
            valid_foreign += generated.count(m);
            expect_agrees(p, m, generated, legal_set);
        }
        for (int i = 0; i < 40; ++i)
            expect_agrees(p, plausible_move(p, rng), generated, legal_set);
        for (int i = 0; i < 20; ++i) expect_agrees(p, Move(rng() & 0xFFFFFF), generated, legal_set);
    });
    EXPECT_GT(positions, 500);
    EXPECT_GT(valid_foreign, 100);  // the foreign moves include valid ones, not only misses
}

TEST_F(MoveValidity, PromotionCodeBelongsExactlyToPawnMovesOntoTheLastRank) {
    Position p = position_from_fen("3r3k/4P3/8/8/8/8/3P4/4K1N1 w - - 0 1");
    for (int promotion : {WQUEEN, WKNIGHT, WROOK, WBISHOP}) {
        EXPECT_TRUE(is_valid_move(p, board_move(p, "e7", "e8", promotion)));
        EXPECT_TRUE(is_valid_move(p, board_move(p, "e7", "d8", promotion)));
    }
    EXPECT_FALSE(is_valid_move(p, board_move(p, "e7", "e8")));
    EXPECT_FALSE(is_valid_move(p, board_move(p, "e7", "d8")));
    for (int wrong : {int(BQUEEN), int(WKING), int(WPAWN), 1, 15})
        EXPECT_FALSE(is_valid_move(p, board_move(p, "e7", "e8", wrong))) << wrong;
    EXPECT_FALSE(is_valid_move(p, board_move(p, "d2", "d3", WQUEEN)));
    EXPECT_FALSE(is_valid_move(p, board_move(p, "g1", "f3", WQUEEN)));
    EXPECT_TRUE(is_valid_move(p, board_move(p, "d2", "d3")));
}

TEST_F(MoveValidity, EnPassantOnlyOntoTheEnPassantSquare) {
    Position with_ep = position_from_fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2");
    Position without = position_from_fen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 2");
    Move ep = board_move(with_ep, "e5", "d6");
    EXPECT_TRUE(is_legal_move(with_ep, ep));
    EXPECT_FALSE(is_valid_move(without, ep));
    EXPECT_FALSE(is_valid_move(with_ep, board_move(with_ep, "e5", "f6")));
}

TEST_F(MoveValidity, PawnPushesNeedEmptySquares) {
    Position p = position_from_fen("4k3/8/8/8/8/2n5/2P1P3/4K3 w - - 0 1");
    EXPECT_FALSE(is_valid_move(p, board_move(p, "c2", "c3")));  // straight onto a piece
    EXPECT_FALSE(is_valid_move(p, board_move(p, "c2", "c4")));
    EXPECT_TRUE(is_valid_move(p, board_move(p, "e2", "e4")));
    EXPECT_FALSE(is_valid_move(p, make_move_value(sq("e2"), sq("e5"), WPAWN)));
    EXPECT_FALSE(is_valid_move(p, make_move_value(sq("e2"), sq("d3"), WPAWN)));
}

TEST_F(MoveValidity, CastlingTestsAsTheQuietGenerator) {
    Position open = position_from_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_TRUE(is_legal_move(open, CASTLE_WK));
    EXPECT_TRUE(is_legal_move(open, CASTLE_WQ));
    EXPECT_FALSE(is_valid_move(open, CASTLE_BK));  // not Black's turn
    Position black = position_from_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    EXPECT_TRUE(is_legal_move(black, CASTLE_BK));
    EXPECT_TRUE(is_legal_move(black, CASTLE_BQ));

    Position no_right = position_from_fen("r3k2r/8/8/8/8/8/8/R3K2R w Kkq - 0 1");
    EXPECT_FALSE(is_valid_move(no_right, CASTLE_WQ));
    Position blocked = position_from_fen("r3k2r/8/8/8/8/8/8/RN2K1NR w KQkq - 0 1");
    EXPECT_FALSE(is_valid_move(blocked, CASTLE_WQ));
    EXPECT_FALSE(is_valid_move(blocked, CASTLE_WK));
    Position checked = position_from_fen("r3k2r/8/8/8/8/8/4r3/R3K2R w KQkq - 0 1");
    EXPECT_FALSE(is_valid_move(checked, CASTLE_WK));
    Position crossing_attacked = position_from_fen("3rk2r/8/8/8/8/8/8/R3K2R w KQk - 0 1");
    EXPECT_FALSE(is_valid_move(crossing_attacked, CASTLE_WQ));
    EXPECT_TRUE(is_valid_move(crossing_attacked, CASTLE_WK));
    // The destination is the legality test's business; b1 is not on the king's path.
    Position c1_attacked = position_from_fen("2r1k3/8/8/8/8/8/8/R3K3 w Q - 0 1");
    EXPECT_TRUE(is_valid_move(c1_attacked, CASTLE_WQ));
    EXPECT_FALSE(is_legal_move(c1_attacked, CASTLE_WQ));
    Position b1_attacked = position_from_fen("1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1");
    EXPECT_TRUE(is_legal_move(b1_attacked, CASTLE_WQ));
}

TEST_F(MoveValidity, CodesMustMatchTheBoard) {
    Position p = start_position();
    Move knight = board_move(p, "g1", "f3");
    EXPECT_TRUE(is_valid_move(p, knight));
    EXPECT_FALSE(is_valid_move(p, knight | MOVE_SINGULAR_MARK));  // search marks are no move
    EXPECT_FALSE(is_valid_move(p, make_move_value(sq("g1"), sq("f3"), WBISHOP)));
    EXPECT_FALSE(is_valid_move(p, make_move_value(sq("g1"), sq("f3"), WKNIGHT, BPAWN)));
    EXPECT_FALSE(is_valid_move(p, board_move(p, "b8", "c6")));  // Black's knight
    EXPECT_FALSE(is_valid_move(p, board_move(p, "a1", "a2")));  // onto an own piece
    EXPECT_FALSE(is_valid_move(p, board_move(p, "a1", "a3")));  // through one
    EXPECT_FALSE(is_valid_move(p, NULL_MOVE));
    EXPECT_FALSE(is_valid_move(p, SKIP_MOVE));
}

TEST_F(MoveValidity, PinnedPieceMoveIsValidButNotLegal) {
    Position p = position_from_fen("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1");
    Move pinned = board_move(p, "e2", "c3");
    EXPECT_TRUE(is_valid_move(p, pinned));
    EXPECT_FALSE(is_legal_move(p, pinned));
}

}  // namespace
