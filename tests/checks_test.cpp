// Quiet checks for the quiescence search: every quiet checking move except those left out on
// purpose (king moves, pieces put en prise to a pawn, queen moves that check only by
// uncovering, promotions that check only with the new piece), in the generator's order.
#include <algorithm>
#include <array>
#include <tuple>

#include "tactics_positions.h"

namespace {

class QuietChecks : public BoardTest {};

struct CheckList {
    std::vector<Move> moves;
    Bitboard candidates;
};

CheckList checks_of(const Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    Bitboard candidates = gen_checks(p, list, count);
    return {{list, list + count}, candidates};
}

// Our pieces whose removal alone leaves the enemy king attacked; a pawn on the king's file is
// no candidate because its push keeps the file closed.
Bitboard uncovering_pieces(const Position& p) {
    const int us = p.turn;
    const Square king = p.king_sq[us ^ 1];
    Bitboard found = 0;
    for (Bitboard own = p.pieces[us]; own;) {
        Square s = pop_lowest(own);
        if (p.board[s] == piece_of(PAWN, us) && file_of(s) == file_of(king)) continue;
        Position without = p;
        without.board[s] = EMPTY;
        setup_from_board(without);
        if (attacked(without, king, us)) found |= square_bit(s);
    }
    return found;
}

bool left_out_by_design(const Position& before, const Position& after, Move m) {
    const int us = before.turn, them = us ^ 1;
    const Square to = move_to(m), king = before.king_sq[them];
    const int type = type_of(move_piece(m));
    if (type == KING) return true;
    if (type != PAWN && (pawn_attackers_mask(to, them) & before.pieces[piece_of(PAWN, them)]))
        return true;
    if (type == QUEEN && !(queen_attacks(after, to) & square_bit(king))) return true;
    const bool uncovered = attackers(after, king, us) & ~square_bit(to);
    return move_promotion(m) != EMPTY && !uncovered;
}

// Every quiet move (the queen promotion by push comes with the captures) that checks after
// make_move, less the ones left out by design; sorted.
std::vector<Move> brute_force_checks(Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_quiet(p, list, count);
    Move tactical[MAX_MOVES];
    int tactical_count = 0;
    gen_captures(p, tactical, tactical_count, nullptr, ~Bitboard(0));
    for (int i = 0; i < tactical_count; ++i)
        if (move_promotion(tactical[i]) != EMPTY && move_captured(tactical[i]) == EMPTY &&
            file_of(move_from(tactical[i])) == file_of(move_to(tactical[i])))
            list[count++] = tactical[i];
    std::vector<Move> expected;
    Position before = p;
    for (int i = 0; i < count; ++i) {
        make_move(p, list[i]);
        if (in_check(p) && !left_out_by_design(before, p, list[i])) expected.push_back(list[i]);
        unmake_move(p);
    }
    std::sort(expected.begin(), expected.end());
    return expected;
}

// Where a move belongs in the generator's order: queens; rooks checking directly, then rooks
// uncovering a check; the same for bishops and knights; double pushes; single pushes. Within a
// group by from-square, to-square, and promotions queen, knight, rook, bishop.
std::tuple<int, int, int, int> order_key(Move m, Bitboard candidates) {
    static constexpr std::array<int, 8> GROUP = {0, 0, 5, 3, 1, 0, 0, 0};  // by type
    const int type = type_of(move_piece(m));
    const Square from = move_from(m), to = move_to(m);
    int group;
    if (type == PAWN) group = std::abs(to - from) == 16 ? 7 : 8;
    else group = GROUP[type] + ((candidates & square_bit(from)) != 0 && type != QUEEN);
    static constexpr std::array<int, 8> PROMOTION_RANK = {0, 0, 1, 3, 2, 0, 0, 0};
    return {group, from, to, PROMOTION_RANK[type_of(move_promotion(m))]};
}

void expect_matches_brute_force(Position& p, int& uncovering_moves, int& promotions) {
    CheckList got = checks_of(p);
    EXPECT_EQ(got.candidates, uncovering_pieces(p));
    for (size_t i = 1; i < got.moves.size(); ++i)
        EXPECT_LT(order_key(got.moves[i - 1], got.candidates), order_key(got.moves[i], got.candidates))
            << "out of order: " << got.moves[i - 1] << " before " << got.moves[i];
    std::vector<Move> sorted = got.moves;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, brute_force_checks(p));
    for (Move m : got.moves) {
        uncovering_moves += (got.candidates & square_bit(move_from(m))) != 0;
        promotions += move_promotion(m) != EMPTY;
    }
}

TEST_F(QuietChecks, KnownPositionInGeneratorOrder) {
    // Queen to four checking squares, a rook to two, a knight that uncovers the a1 bishop
    // (but not onto c6 or e6, which the d7 pawn covers), and a pawn push.
    Position p = position_from_fen("7k/3p4/6P1/8/3N4/8/R7/B1K1Q3 w - - 0 1");
    CheckList got = checks_of(p);
    EXPECT_EQ(got.candidates, square_bit(sq("d4")));
    const std::vector<Move> expected = {
        board_move(p, "e1", "h1"), board_move(p, "e1", "h4"), board_move(p, "e1", "e5"),
        board_move(p, "e1", "e8"), board_move(p, "a2", "h2"), board_move(p, "a2", "a8"),
        board_move(p, "d4", "c2"), board_move(p, "d4", "e2"), board_move(p, "d4", "b3"),
        board_move(p, "d4", "f3"), board_move(p, "d4", "b5"), board_move(p, "d4", "f5"),
        board_move(p, "g6", "g7")};
    EXPECT_EQ(got.moves, expected);
}

TEST_F(QuietChecks, UncoveringPromotionExpandsToAllFourPieces) {
    // Black: b2-b1 opens the rank from h2 to the king on a2.
    Position p = position_from_fen("7k/8/8/8/8/8/Kp5r/8 b - - 0 1");
    CheckList got = checks_of(p);
    EXPECT_EQ(got.candidates, square_bit(sq("b2")));
    const std::vector<Move> expected = {
        board_move(p, "b2", "b1", BQUEEN), board_move(p, "b2", "b1", BKNIGHT),
        board_move(p, "b2", "b1", BROOK), board_move(p, "b2", "b1", BBISHOP)};
    EXPECT_EQ(got.moves, expected);
}

TEST_F(QuietChecks, PromotionCheckingOnlyWithTheNewPieceIsLeftOut) {
    // e8=Q would check along the rank, but no line opens behind the pawn.
    Position p = position_from_fen("7k/4P3/8/8/8/8/8/K7 w - - 0 1");
    EXPECT_TRUE(checks_of(p).moves.empty());
}

TEST_F(QuietChecks, DoublePushesComeBeforeSinglePushes) {
    // f2-f4 and d3-d4 both attack e5; g4-g5 does not check.
    Position p = position_from_fen("8/8/8/4k3/6P1/3P4/5P2/K7 w - - 0 1");
    const std::vector<Move> expected = {board_move(p, "f2", "f4"), board_move(p, "d3", "d4")};
    EXPECT_EQ(checks_of(p).moves, expected);
}

TEST_F(QuietChecks, MatchBruteForceOverManyPositions) {
    int positions = 0, uncovering_moves = 0, promotions = 0;
    for_each_corpus_position([&](Position& p) {
        ++positions;
        expect_matches_brute_force(p, uncovering_moves, promotions);
    });
    EXPECT_GT(positions, 500);
    // The corpus must reach the rarer branches for the comparison to mean something.
    EXPECT_GT(uncovering_moves, 20);
    EXPECT_GT(promotions, 0);
}

}  // namespace
