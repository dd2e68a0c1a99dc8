// The parts of the king term, each for the king of `us` and from that side's point of view.
#pragma once

#include "board/position.h"
#include "eval/eval_info.h"

// While the enemy cannot attack: where the king stands; adds half of it to the tally.
int king_placement(const Position& p, EvalInfo& info, int us);
// Once the enemy can attack: the king's danger, 0 or more, from its shelter and the enemy
// attack and own defence gathered by the piece loops.
int king_danger(const Position& p, EvalInfo& info, int us);
// Pieces still at home between the king and a castle square, boxed-in knights and bishops.
int development_count(const Position& p, int us, int wing);
