#include "frontend/eval_command.h"

#include "eval/eval_options.h"
#include "eval/evaluate.h"
#include "frontend/game.h"
#include "frontend/output.h"
#include "search/hash_table.h"

namespace {

constexpr const char* TERM_NAMES[EVAL_TERMS] = {"material", "minor", "major", "pawn", "passer",
                                                "king", "synergy", "draw", "favorable"};

// The terms with every blend set to `phase`.
TermValues terms_at_phase(int phase, EvalCaches& caches) {
    EvalInfo info;
    TermValues terms{};
    forced_phase = phase;
    evaluate_terms(game_position, info, caches, terms);
    forced_phase = -1;
    return terms;
}

}  // namespace

void eval_command(const char*) {
    // Caches of no size: every call computes its blocks afresh and no search's tables are touched.
    hash_table no_cache{};
    SearchStats stats{};
    EvalCaches caches{no_cache, no_cache, stats};
    EvalInfo info;
    TermValues actual{};
    evaluate_terms(game_position, info, caches, actual);
    const TermValues middlegame = terms_at_phase(128, caches);
    const TermValues endgame = terms_at_phase(0, caches);

    out_print("term         middle      end  blended  weighted\n");
    for (int t = 0; t < EVAL_TERMS; ++t)
        out_print("%-10s %8d %8d %8d %9d\n", TERM_NAMES[t], middlegame.computed[t], endgame.computed[t],
                  actual.computed[t], actual.added[t]);
    out_print("final score (White's view, scaled by 116/128): %d\n", info.score);
}
