#include "eval/piece_terms.h"

namespace {

// c4-f4, b5-g5 and b6-g6: far enough up for a piece to bite, not so far that it is lost.
constexpr Bitboard OUTPOST_ZONE = box(2, 5, 3, 3) | box(1, 6, 4, 5);

// The squares one step behind `squares` for pawns of `colour`.
Bitboard one_step_back(Bitboard squares, int colour) {
    return colour == WHITE ? squares >> 8 : squares << 8;
}

// A piece's share in its king's defence by its distance to the king (fitted to game results and
// to a stronger engine's evaluations).
constexpr int KING_DEFENCE_BY_DISTANCE[8] = {0, 54, 38, 33, 21, 0, 0, 0};

}  // namespace

Bitboard outpost_squares(const Position& p, const EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, them)];
    // A pawn can still attack whatever it attacks from any square it can safely walk to.
    const Bitboard pawn_reach = pawn_attacks(their_pawns | info.block.safe_advance[them], them);
    return relative_set(OUTPOST_ZONE, us) & ~p.pieces[piece_of(PAWN, us)] & ~pawn_reach;
}

Bitboard target_pawns(const Position& p, const EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Bitboard fixed = one_step_back(p.all_pieces | info.attacks[us][PAWN], them);
    return info.block.weak_pawns[them] & ~tables.king_attacks[p.king_sq[them]] &
           (relative_set(BIG_CENTRE, us) | fixed);
}

Bitboard attacked_by(const EvalInfo& info, int colour) {
    const Bitboard* a = info.attacks[colour];
    return a[PAWN] | a[KNIGHT] | a[BISHOP] | a[ROOK] | a[QUEEN] | a[KING];
}

int king_defence_value(Square piece, Square king) {
    return KING_DEFENCE_BY_DISTANCE[distance(piece, king)];
}
