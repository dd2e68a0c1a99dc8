// The pieces' share of the minor, major and king terms, each computed for one colour from that
// colour's point of view; minor_term and major_term add White's and subtract Black's.
#pragma once

#include "board/position.h"
#include "eval/square_sets.h"
#include "eval/eval_info.h"

struct MinorParts {
    int placement;  // squares and mobility, also counted in the positional tally
    int structure;  // outposts, piece-count adjustments, bad bishops
};

MinorParts knight_scores(const Position& p, EvalInfo& info, int us);
MinorParts bishop_scores(const Position& p, EvalInfo& info, int us);
int bishop_pair_bonus(const Position& p, const EvalInfo& info, int us);
int rook_scores(const Position& p, EvalInfo& info, int us);
int queen_scores(const Position& p, EvalInfo& info, int us);

// Squares in the enemy half where a piece of `us` can never be chased off by a pawn.
Bitboard outpost_squares(const Position& p, const EvalInfo& info, int us);
// Enemy weak pawns worth attacking: unguarded by their king and fixed or central.
Bitboard target_pawns(const Position& p, const EvalInfo& info, int us);
// The squares the queen of `colour` on `s` attacks, once the major term has run: a lone queen's
// are already in the attack sets.
inline Bitboard attacks_of_queen(const Position& p, const EvalInfo& info, Square s, int colour) {
    const Bitboard queens = p.pieces[piece_of(QUEEN, colour)];
    return (queens & (queens - 1)) == 0 ? info.attacks[colour][QUEEN] : queen_attacks(p, s);
}
// Every square a piece or pawn of `colour` attacks, as far as the piece loops have run.
Bitboard attacked_by(const EvalInfo& info, int colour);

// How much a piece on a square so far from its king adds to the king's defence, per 128 of
// the piece's share.
int king_defence_value(Square piece, Square king);
