// Rooks and queens: the major term, also counted in the positional tally.
#include <algorithm>

#include "eval/phase.h"
#include "eval/piece_terms.h"
#include "eval/terms.h"

namespace {

// White's view, a1 first, blended by the pawn phase.
constexpr int QUEEN_MIDDLEGAME[64] = {
    -12, -12, -12, -12, -12, -12, -12, -12,  //
    -4,  -4,  0,   0,   0,   0,   -4,  -4,   //
    -4,  -4,  -4,  -4,  -4,  -4,  -4,  -4,   //
    -4,  -4,  -4,  -4,  -4,  -4,  -4,  -4,   //
    4,   4,   6,   7,   7,   6,   4,   4,    //
    5,   5,   17,  24,  24,  17,  5,   5,    //
    5,   5,   22,  22,  22,  22,  5,   5,    //
    0,   0,   10,  10,  10,  10,  0,   0};
constexpr int QUEEN_ENDGAME[64] = {
    -30, -27, -18, -15, -15, -18, -27, -30,  //
    -20, -18, -16, -12, -12, -16, -18, -20,  //
    -19, -8,  -4,  -4,  -4,  -4,  -8,  -19,  //
    -8,  -2,  10,  14,  14,  10,  -2,  -8,   //
    -5,  8,   27,  28,  28,  27,  8,   -5,   //
    -10, 6,   27,  30,  30,  27,  6,   -10,  //
    -10, 4,   15,  20,  20,  15,  4,   -10,  //
    -10, -4,  0,   4,   4,   0,   -4,  -10};
// By the enemy's piece count, for a queen settled in the centre late in the game.
constexpr int QUEEN_CENTRE[6] = {0, 6, 6, 9, 12, 12};
constexpr Bitboard FILES_C_TO_F = box(2, 5, 0, 7);

}  // namespace

int queen_scores(const Position& p, EvalInfo& info, int us) {
    const Bitboard queens = p.pieces[piece_of(QUEEN, us)];
    if (!queens) return 0;
    const int them = us ^ 1, phase = pawn_phase(p);
    const int enemy_pieces = p.piece_count[them];
    const Bitboard outposts = enemy_pieces < 6 ? outpost_squares(p, info, us) : 0;
    int total = 0;
    for (Bitboard b = queens; b;) {
        const Square s = pop_lowest(b);
        const Square own_view = relative_square(s, us);
        info.attacks[us][QUEEN] |= queen_attacks(p, s);
        total += (QUEEN_MIDDLEGAME[own_view] * phase + QUEEN_ENDGAME[own_view] * (128 - phase)) / 128;
        if (enemy_pieces < 6) {
            const Square behind = s + pawn_push(them);
            if ((CENTRE & outposts & square_bit(s)) && (p.all_pawns & square_bit(behind)))
                total += QUEEN_CENTRE[enemy_pieces];
        } else if ((FILES_C_TO_F & square_bit(s)) && (file_ahead(s, us) & p.all_pawns) == 0) {
            total -= 13;
        }
    }
    return total;
}

int major_term(const Position& p, EvalInfo& info) {
    int total = 0;
    for (int us : {WHITE, BLACK}) {
        const int sign = us == WHITE ? 1 : -1;
        total += sign * (rook_scores(p, info, us) + queen_scores(p, info, us));
        info.piece_tally += sign * 80 * popcount(p.pieces[piece_of(QUEEN, us)]);
    }
    info.piece_tally += total;
    return total;
}
