// The game phase: how far a position still is a middlegame, per 128.
#pragma once

#include <algorithm>

#include "board/position.h"
#include "eval/eval_options.h"

// Promotions can lift the piece count past the table's end; such a board counts as full.
inline int game_phase(const Position& p) {
    if (forced_phase >= 0) return forced_phase;
    int queens = (p.pieces[BQUEEN] != 0) + (p.pieces[WQUEEN] != 0);
    int index = (queens + p.piece_count[BLACK] + p.piece_count[WHITE]) / 2;
    return phase_table[std::min(index, PHASE_TABLE_SIZE - 1)];
}

// The pawns' own phase, by ((majors of both sides) / 2 + minors of both sides) / 2. It runs past
// 128 near a full board: the pawns' middlegame figures count for more than their full weight.
inline int pawn_phase(const Position& p) {
    if (forced_phase >= 0) return forced_phase;
    static constexpr int table[8] = {0, 10, 48, 84, 117, 152, 152, 152};
    const int majors = p.major_count[BLACK] + p.major_count[WHITE];
    const int minors = p.minor_count[BLACK] + p.minor_count[WHITE];
    return table[std::min((majors / 2 + minors) / 2, 7)];
}

// A middlegame/endgame pair mixed by the phase, rounded towards zero.
inline int blend_phase(int mg, int eg, int phase) {
    return (mg * phase + eg * (128 - phase)) / 128;
}
