// Quiet checks for the quiescence search: every quiet checking move except those left out on
// purpose (king moves, pieces put en prise to a pawn, queen moves that check only by
// uncovering, promotions that check only with the new piece), in the generator's order.
#include <algorithm>
#include <array>
#include <tuple>

#include "tactics_positions.h"

namespace {

class QuietChecks : public BoardTest {};

struct CheckList { std::vector<Move> moves; Bitboard candidates; };

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

// Every non-capturing move (the queen promotion by push comes with the captures) that checks
// after make_move, less the ones left out by design; sorted.
std::vector<Move> brute_force_checks(Position& p) {
    std::vector<Move> expected;
    const Position before = p;
    for (Move m : pseudo_legal_moves(p)) {
        if (move_captured(m) != EMPTY || is_en_passant(m)) continue;
        make_move(p, m);
        if (in_check(p) && !left_out_by_design(before, p, m)) expected.push_back(m);
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

TEST_F(QuietChecks, KnownPositionsInGeneratorOrder) {
    struct Case { const char* fen; Bitboard candidates; const char* checks; };
    const Case cases[] = {
        // Queen to four checking squares, a rook to two, a knight that uncovers the a1 bishop
        // (but not onto c6 or e6, which the d7 pawn covers), and a pawn push.
        {"7k/3p4/6P1/8/3N4/8/R7/B1K1Q3 w - - 0 1", square_bit(sq("d4")),
         "e1h1 e1h4 e1e5 e1e8 a2h2 a2a8 d4c2 d4e2 d4b3 d4f3 d4b5 d4f5 g6g7"},
        // Black: b2-b1 opens the rank from h2 to the king on a2, whatever it becomes.
        {"7k/8/8/8/8/8/Kp5r/8 b - - 0 1", square_bit(sq("b2")), "b2b1q b2b1n b2b1r b2b1b"},
        // e8=Q would check along the rank, but no line opens behind the pawn.
        {"7k/4P3/8/8/8/8/8/K7 w - - 0 1", 0, ""},
        // Double pushes come first: f2-f4 and d3-d4 both attack e5; g4-g5 does not check.
        {"8/8/8/4k3/6P1/3P4/5P2/K7 w - - 0 1", 0, "f2f4 d3d4"},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        const CheckList got = checks_of(p);
        EXPECT_EQ(got.candidates, c.candidates) << c.fen;
        EXPECT_EQ(got.moves, moves_of(p, c.checks)) << c.fen;
    }
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
