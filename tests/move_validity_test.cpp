// Validity and legality of single moves (hash and killer moves, moves typed by a user) against
// what the generators produce.
#include <algorithm>
#include <random>
#include <set>

#include "tactics_positions.h"

namespace {

class MoveValidity : public BoardTest {};

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
        for (Move m : pseudo_legal_moves(p)) pool.push_back(m);
    });
    std::sort(pool.begin(), pool.end());
    pool.erase(std::unique(pool.begin(), pool.end()), pool.end());

    std::mt19937 rng(7);
    int positions = 0, valid_foreign = 0;
    for_each_corpus_position([&](Position& p) {
        ++positions;
        const std::vector<Move> pseudo_legal = pseudo_legal_moves(p), legal = legal_moves(p);
        const std::set<Move> generated(pseudo_legal.begin(), pseudo_legal.end());
        const std::set<Move> legal_set(legal.begin(), legal.end());
        for (Move m : generated) expect_agrees(p, m, generated, legal_set);
        if (in_check(p)) {
            for (Move m : node_moves(p)) EXPECT_TRUE(is_legal_move(p, m));  // the evasions
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

// Valid: what the generators could produce here; legal: valid and the king is safe after it.
TEST_F(MoveValidity, HandPickedMoves) {
    constexpr const char* PROMOTION = "3r3k/4P3/8/8/8/8/3P4/4K1N1 w - - 0 1";
    constexpr const char* EP = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2";
    constexpr const char* PUSHES = "4k3/8/8/8/8/2n5/2P1P3/4K3 w - - 0 1";
    constexpr const char* CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    struct Case { const char* fen; const char* move; bool valid, legal; };
    const Case cases[] = {
        // A promotion code belongs exactly to pawn moves onto the last rank.
        {PROMOTION, "e7e8q", true, true},   {PROMOTION, "e7e8n", true, true},
        {PROMOTION, "e7e8r", true, true},   {PROMOTION, "e7e8b", true, true},
        {PROMOTION, "e7d8q", true, true},   {PROMOTION, "e7d8n", true, true},
        {PROMOTION, "e7d8r", true, true},   {PROMOTION, "e7d8b", true, true},
        {PROMOTION, "e7e8", false, false},  {PROMOTION, "e7d8", false, false},
        {PROMOTION, "d2d3q", false, false}, {PROMOTION, "g1f3q", false, false},
        {PROMOTION, "d2d3", true, true},
        // En passant only onto the en-passant square; pushes only onto empty squares.
        {EP, "e5d6", true, true},           {EP, "e5f6", false, false},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 2", "e5d6", false, false},
        {PUSHES, "c2c3", false, false},     {PUSHES, "c2c4", false, false},
        {PUSHES, "e2e4", true, true},       {PUSHES, "e2e5", false, false},
        {PUSHES, "e2d3", false, false},
        // Castling is tested as the quiet generator tests it; the destination is the
        // legality test's business, and b1 is not on the king's path.
        {CASTLING, "e1g1", true, true},     {CASTLING, "e1c1", true, true},
        {CASTLING, "e8g8", false, false},   // not Black's turn
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", true, true},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", true, true},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Kkq - 0 1", "e1c1", false, false},
        {"r3k2r/8/8/8/8/8/8/RN2K1NR w KQkq - 0 1", "e1c1", false, false},
        {"r3k2r/8/8/8/8/8/8/RN2K1NR w KQkq - 0 1", "e1g1", false, false},
        {"r3k2r/8/8/8/8/8/4r3/R3K2R w KQkq - 0 1", "e1g1", false, false},
        {"3rk2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", "e1c1", false, false},
        {"3rk2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", "e1g1", true, true},
        {"2r1k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", true, false},
        {"1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", true, true},
        // Pieces of the side to move only, never onto or through an own piece.
        {START_FEN, "g1f3", true, true},    {START_FEN, "b8c6", false, false},
        {START_FEN, "a1a2", false, false},  {START_FEN, "a1a3", false, false},
        {"4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "e2c3", true, false},  // pinned
        // A pinned piece may move along its pin line, up to taking the pinner.
        {"4r1k1/8/8/8/8/8/4R3/4K3 w - - 0 1", "e2e5", true, true},
        {"4r1k1/8/8/8/8/8/4R3/4K3 w - - 0 1", "e2e8", true, true},
        {"4r1k1/8/8/8/8/8/4R3/4K3 w - - 0 1", "e2d2", true, false},
        {"6k1/8/8/8/3q4/8/1B6/K7 w - - 0 1", "b2d4", true, true},
        {"6k1/8/8/8/3q4/8/1B6/K7 w - - 0 1", "b2a3", true, false},
        {"6k1/8/8/8/8/2b5/3P4/4K3 w - - 0 1", "d2c3", true, true},
        {"6k1/8/8/8/8/2b5/3P4/4K3 w - - 0 1", "d2d3", true, false},
        // A king can neither step back along a checking line nor take a guarded piece.
        {"4r1k1/8/8/8/8/8/4K3/8 w - - 0 1", "e2e1", true, false},
        {"4r1k1/8/8/8/8/8/4K3/8 w - - 0 1", "e2d2", true, true},
        {"6k1/8/8/8/8/8/3r4/3rK3 w - - 0 1", "e1d1", true, false},
        {"6k1/8/8/8/8/8/8/3rK3 w - - 0 1", "e1d1", true, true},
        // En passant takes two pawns off the king's rank at once.
        {"8/8/8/K2pP2r/8/8/8/6k1 w - d6 0 2", "e5d6", true, false},
        {"8/8/8/K2pP3/8/8/8/6k1 w - d6 0 2", "e5d6", true, true},
        // In check only an answer to it will do; two checkers leave the king alone to move.
        {"4r1k1/8/8/8/8/8/3N4/4K3 w - - 0 1", "d2e4", true, true},
        {"4r1k1/8/8/8/8/8/3N4/4K3 w - - 0 1", "d2b3", true, false},
        {"4r1k1/8/8/8/8/3n4/3N4/4K3 w - - 0 1", "d2e4", true, false},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        const Move m = coord_move(p, c.move);
        EXPECT_EQ(is_valid_move(p, m), c.valid) << c.fen << " " << c.move;
        EXPECT_EQ(is_legal_move(p, m), c.legal) << c.fen << " " << c.move;
    }
}

// Codes the board does not show, search marks, and the special moves are no valid moves.
TEST_F(MoveValidity, CodesMustMatchTheBoard) {
    Position p = position_from_fen("3r3k/4P3/8/8/8/8/3P4/4K1N1 w - - 0 1");
    for (int wrong : {int(BQUEEN), int(WKING), int(WPAWN), 1, 15})
        EXPECT_FALSE(is_valid_move(p, board_move(p, "e7", "e8", wrong))) << wrong;
    const Square g1 = sq("g1"), f3 = sq("f3");
    for (Move m : {coord_move(p, "g1f3") | MOVE_SINGULAR_MARK, make_move_value(g1, f3, WBISHOP),
                   make_move_value(g1, f3, WKNIGHT, BPAWN), NULL_MOVE, SKIP_MOVE})
        EXPECT_FALSE(is_valid_move(p, m)) << std::hex << m;
}

}  // namespace
