// Tests on single pawns that the pawn structure and the candidate scores share.
#pragma once

#include "common/types.h"
#include "eval/square_sets.h"

// A middlegame/endgame pair of points.
struct StagePair {
    int mg = 0, eg = 0;
    constexpr bool any() const { return mg != 0 || eg != 0; }
};

// Where no enemy king is known: candidate tests on the pawns alone.
constexpr Square NO_KING = -1;

// The penalty of an isolated pawn of `colour` on s: more when its file is open ahead.
StagePair isolated_penalty(Square s, int colour, Bitboard own, Bitboard enemy);
// The penalty of a backward pawn of `colour` on s, or nothing when it is not backward.
StagePair backward_penalty(Square s, int colour, Bitboard own, Bitboard enemy);
// The score of a pawn of `colour` on s that can turn into a passed pawn, or nothing when it
// cannot. The enemy king's file, when given, shrinks it as the king comes nearer; any
// candidate scores something, so without a king it serves as the candidate test.
StagePair candidate_score(Square s, int colour, Bitboard own, Bitboard enemy, Bitboard own_safe,
                          Square enemy_king);
// Own pawns that can walk up to a square from which they defend `target`, on empty squares
// that no enemy pawn attacks; those already defending it are not counted.
int pawns_able_to_come_defend(Square target, int colour, Bitboard own, Bitboard enemy);

// The pawns of `own` with no enemy pawn ahead of them on their own or a neighbouring file.
constexpr Bitboard passed_pawns_of(Bitboard own, Bitboard enemy, int colour) {
    return own & ~with_neighbour_files(fill_forward(shift_forward(enemy, colour ^ 1), colour ^ 1));
}
