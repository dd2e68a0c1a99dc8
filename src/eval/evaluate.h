// The static evaluation: one score for a position, from the side to move's point of view.
#pragma once

#include <algorithm>

#include "board/position.h"
#include "common/search_stats.h"
#include "eval/eval_info.h"
#include "search/hash_table.h"

// The calling thread's two evaluation caches and the counters their probes feed.
struct EvalCaches {
    hash_table& king_hash;
    hash_table& pawn_hash;
    SearchStats& stats;
};

// Beyond this magnitude a score reads as a mate; the evaluation stays inside it.
constexpr int MAX_EVAL = 9499;

inline int clamp_eval(int score) { return std::clamp(score, -MAX_EVAL, MAX_EVAL); }
// The last step on the White-view total: scaled by 116/128 towards zero, then clamped.
inline int final_scale(int score) { return clamp_eval(score * 116 / 128); }

// Evaluates `p` without changing it. Leaves the White-view score in info.score and returns
// the side to move's score, also left in info.stm_score.
int evaluate(const Position& p, EvalInfo& info, EvalCaches& caches);
