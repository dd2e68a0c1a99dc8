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

// The nine terms in the order they are added, named as the eval command prints them.
enum EvalTerm : int {
    TERM_MATERIAL, TERM_MINOR, TERM_MAJOR, TERM_PAWN, TERM_PASSER, TERM_KING, TERM_SYNERGY,
    TERM_DRAW, TERM_FAVORABLE, EVAL_TERMS
};
// Each term as computed and as added to the White-view score (after its weight).
struct TermValues {
    int computed[EVAL_TERMS];
    int added[EVAL_TERMS];
};

// Evaluates `p` without changing it. Leaves the White-view score in info.score and returns
// the side to move's score, also left in info.stm_score.
int evaluate(const Position& p, EvalInfo& info, EvalCaches& caches);
// The same evaluation, with each term's share noted in `terms`.
int evaluate_terms(const Position& p, EvalInfo& info, EvalCaches& caches, TermValues& terms);
