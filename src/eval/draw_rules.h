// Drawish endings: the score shrinks as the draw counter grows, a dead draw keeps only the sign,
// and a large advantage may be damped above a ceiling.
#pragma once

#include "board/position.h"
#include "eval/eval_info.h"

// `score` shrunk by the draw counter: a dead draw leaves its sign only (±1), otherwise the
// score is scaled down and, from a counter of 2, the part beyond 100 is halved.
int scale_by_drawishness(int score, int drawishness);
// The part of `score` beyond ±ceiling halved; NO_DAMPING or more leaves it alone.
int damp_advantage(int score, int ceiling);
// Applies the draw rules to info.score for the stronger side and sets info.drawishness.
// They look only at few pieces or pawnless boards.
void apply_draw_rules(const Position& p, EvalInfo& info, int strong);
