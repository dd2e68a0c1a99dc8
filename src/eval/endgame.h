// Endgame knowledge for the stronger side `strong`: recognisers that build the draw counter,
// and the ceiling above which that side's advantage is damped.
#pragma once

#include "board/position.h"
#include "eval/eval_info.h"

// A draw counter this high marks a dead draw.
constexpr int DEAD_DRAW = 1024;
// The ceiling that leaves the advantage alone.
constexpr int NO_DAMPING = 1000;

// The recognisers that hold whatever the material balance (wrong rook pawn, stalemated lone
// king).
int early_draw_count(const Position& p, const EvalInfo& info, int strong);
// The recognisers for positions whose material is close or that an early recogniser marked.
int late_draw_count(const Position& p, const EvalInfo& info, int strong);
int advantage_ceiling(const Position& p, const EvalInfo& info, int strong);
