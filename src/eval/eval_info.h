// One search thread's record of an evaluation call: the result, the values the terms hand on
// to one another, and the pawn-king block in use.
#pragma once

#include <cstdint>

#include "common/types.h"
#include "eval/pawn_king_block.h"

// Colour-indexed arrays are [BLACK], [WHITE]. Scores are from White's point of view.
struct EvalInfo {
    int32_t score;      // running total, then the final score
    int32_t stm_score;  // the returned score, from the side to move's point of view
    // Set to 1 when the colour's attack on the enemy king is to be judged; the king term
    // replaces it with the enemy king's computed danger.
    int32_t king_attack[2];
    int32_t attack_material[2];  // queen 3, each major 3, each minor 2
    int32_t king_safety[2];      // the colour's king shelter danger, phase-blended
    int32_t drawishness;
    int32_t piece_tally;  // positional surplus, White minus Black
    // Filled by the terms, cleared at every call.
    int32_t king_attack_sum[2];   // the colour's attack on the enemy king
    int32_t king_defence_sum[2];  // the colour's defence of its own king
    // [colour][PieceType]: squares attacked by the colour's pieces of that type ([0] unused);
    // the pawns' set comes with the call data below, the pieces' from the piece loops.
    Bitboard attacks[2][KING + 1];
    // Call data from the pawns.
    Bitboard front_span[2];  // squares ahead of the colour's pawns on their files
    Bitboard pawn_safe[2];   // squares no enemy pawn attacks
    Bitboard passed_pawns[2];
    alignas(64) PawnKingBlock block;
};
