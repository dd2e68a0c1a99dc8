#include <algorithm>
#include <set>

#include "board_test_support.h"

namespace {

class MovegenTest : public BoardTest {};

// Moves as from-to pairs, squares counted a1 = 0.
std::vector<std::pair<Square, Square>> squares_of(const std::vector<Move>& moves) {
    std::vector<std::pair<Square, Square>> out;
    for (Move m : moves) out.emplace_back(move_from(m), move_to(m));
    return out;
}

TEST_F(MovegenTest, StartPositionQuietOrder) {
    Position p = start_position();
    EXPECT_TRUE(captures(p).empty());
    std::vector<std::pair<Square, Square>> expected = {{1, 16}, {1, 18}, {6, 21}, {6, 23}};
    for (Square s = 8; s < 16; ++s) expected.emplace_back(s, s + 16);
    for (Square s = 8; s < 16; ++s) expected.emplace_back(s, s + 8);
    EXPECT_EQ(squares_of(quiet(p)), expected);
}

TEST_F(MovegenTest, PromotionsAreSplitBetweenCapturesAndQuietMoves) {
    Position p = position_from_fen("3r2k1/4P3/8/8/8/8/8/4K3 w - - 0 1");
    std::vector<Move> expected_captures = {
        make_move_value(52, 59, WPAWN, BROOK, WQUEEN), make_move_value(52, 59, WPAWN, BROOK, WKNIGHT),
        make_move_value(52, 59, WPAWN, BROOK, WROOK), make_move_value(52, 59, WPAWN, BROOK, WBISHOP),
        make_move_value(52, 60, WPAWN, EMPTY, WQUEEN)};
    EXPECT_EQ(captures(p), expected_captures);
    std::vector<Move> q = quiet(p);
    std::vector<Move> pushes;
    for (Move m : q)
        if (move_piece(m) == WPAWN) pushes.push_back(m);
    EXPECT_EQ(pushes, (std::vector<Move>{make_move_value(52, 60, WPAWN, EMPTY, WKNIGHT),
                                         make_move_value(52, 60, WPAWN, EMPTY, WROOK),
                                         make_move_value(52, 60, WPAWN, EMPTY, WBISHOP)}));
}

TEST_F(MovegenTest, CaptureStagesComeInTheirOrder) {
    // Queen, rook, bishop, knight, king, en passant and pawn captures all available to White.
    Position p = position_from_fen("4k3/8/3r4/1n2Pp2/1Q3B2/2b2nq1/3PK3/8 w - f6 0 1");
    std::vector<Move> expected = {
        make_move_value(25, 33, WQUEEN, BKNIGHT),  // Qxb5 along the file
        make_move_value(25, 18, WQUEEN, BBISHOP),  // Qxc3 and Qxd6 on the diagonals
        make_move_value(25, 43, WQUEEN, BROOK),
        make_move_value(29, 22, WBISHOP, BQUEEN),  // Bxg3
        make_move_value(12, 21, WKING, BKNIGHT),   // Kxf3
        make_move_value(36, 45, WPAWN),            // exf6 en passant
        make_move_value(11, 18, WPAWN, BBISHOP),   // dxc3, towards the a-file
        make_move_value(36, 43, WPAWN, BROOK)};    // exd6
    EXPECT_EQ(captures(p), expected);
}

TEST_F(MovegenTest, TargetMaskRestrictsCapturesUnlessTheyGiveCheck) {
    Position p = position_from_fen("4k3/8/2p1p3/8/3N4/8/8/4K3 w - - 0 1");
    CheckSquares checks{};
    checks.by_type[KNIGHT] = tables.knight_attacks[60];
    Move list[MAX_MOVES];
    int count = 0;
    gen_captures(p, list, count, &checks, 0);
    EXPECT_EQ(count, 0);  // neither Nxc6 nor Nxe6 lands on a checking square
    checks.by_type[KNIGHT] |= square_bit(44);
    gen_captures(p, list, count, &checks, 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(list[0], make_move_value(27, 44, WKNIGHT, BPAWN));
}

TEST_F(MovegenTest, EnPassantThatExposesTheKing) {
    // ...c7c5+ checks the king on b4; taking en passant would open the bishop's diagonal.
    Position p = position_from_fen("7k/4b3/8/2pP4/1K6/8/8/8 w - c6 0 2");
    ASSERT_EQ(p.ep_square, 42);
    Move ep = make_move_value(35, 42, WPAWN);
    std::vector<Move> e = evasions(p);
    EXPECT_EQ(std::count(e.begin(), e.end(), ep), 0);
    EXPECT_FALSE(e.empty());
    // Outside check the capture is generated and the legality test rejects it: both pawns
    // leave the rook's rank.
    Position q = position_from_fen("4k3/8/8/1KPp3r/8/8/8/8 w - d6 0 2");
    std::vector<Move> c = captures(q);
    Move ep2 = make_move_value(34, 43, WPAWN);
    ASSERT_EQ(std::count(c.begin(), c.end(), ep2), 1);
    make_move(q, ep2);
    EXPECT_TRUE(leaves_king_attacked(q));
}

TEST_F(MovegenTest, CastlingNeverOutOfCheckNorThroughAttackedSquares) {
    Position in_check_pos = position_from_fen("r3k2r/8/8/8/8/8/4r3/R3K2R w KQkq - 0 1");
    for (Move m : node_moves(in_check_pos)) EXPECT_FALSE(is_castling(m));
    Position d1_attacked = position_from_fen("r2rk3/8/8/8/8/8/8/R3K2R w KQq - 0 1");
    std::vector<Move> q = quiet(d1_attacked);
    EXPECT_EQ(std::count(q.begin(), q.end(), CASTLE_WQ), 0);
    EXPECT_EQ(std::count(q.begin(), q.end(), CASTLE_WK), 1);
}

// Evasions are exactly the legal moves, found by filtering every pseudo-legal move.
void compare_evasions(Position& p, int depth, int& checked_nodes) {
    if (in_check(p)) {
        ++checked_nodes;
        std::vector<Move> e = evasions(p);
        for (Move m : e) {
            make_move(p, m);
            EXPECT_FALSE(leaves_king_attacked(p)) << "illegal evasion " << std::hex << m;
            unmake_move(p);
        }
        std::vector<Move> legal = legal_moves(p);
        EXPECT_EQ(std::set<Move>(e.begin(), e.end()), std::set<Move>(legal.begin(), legal.end()));
        EXPECT_EQ(e.size(), std::set<Move>(e.begin(), e.end()).size()) << "duplicate evasion";
    }
    if (depth == 0) return;
    for (Move m : node_moves(p)) {
        make_move(p, m);
        if (!leaves_king_attacked(p)) compare_evasions(p, depth - 1, checked_nodes);
        unmake_move(p);
    }
}

TEST_F(MovegenTest, EvasionsAreLegalAndComplete) {
    int checked_nodes = 0;
    for (const PerftCase& c : perft_cases()) {
        Position p = position_from_fen(c.fen);
        compare_evasions(p, 3, checked_nodes);
    }
    EXPECT_GT(checked_nodes, 1000);
}

TEST_F(MovegenTest, LegalListKeepsGenerationOrder) {
    Position p = position_from_fen(perft_cases()[3].fen);
    std::vector<Move> all = captures(p), q = quiet(p);
    all.insert(all.end(), q.begin(), q.end());
    std::vector<Move> expected;
    for (Move m : all) {
        make_move(p, m);
        if (!leaves_king_attacked(p)) expected.push_back(m);
        unmake_move(p);
    }
    EXPECT_EQ(legal_moves(p), expected);
    EXPECT_EQ(expected.size(), 6u);
}

}  // namespace
