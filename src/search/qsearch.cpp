// Quiescence nodes: stand pat on the static evaluation, then only the moves the quiescence
// picker hands out (captures, promotions and the like; every evasion when in check).
#include <algorithm>

#include "board/t_move_basics.h"
#include "common/log.h"
#include "search/node_internal.h"
#include "search/node_services.h"
#include "search/search_options.h"
#include "search/search_shared.h"

namespace {

Step end_quiescence(CpuContext& c, Frame& f) {
    if (f.in_check && f.lm == 0) f.best = f.ply - MATE;
    if (search_stopped()) return STOPPED_SEARCH;
    if (probe_in_qsearch) table_store(c, f);
    return finished(f.best);
}

Step next_quiescence_move(CpuContext& c, Frame& f) {
    if (!make_next_legal(c, f, true)) return end_quiescence(c, f);
    ++f.lm;
    push_child(c, CONT_QUIESCENCE, -f.beta, -f.scout_low, f.depth - 1, 0,
               (top_entry(c).flags & ENTRY_GIVES_CHECK) != 0, -f.type);
    return PUSHED_CHILD;
}

}  // namespace

Step start_quiescence(CpuContext& c, Frame& f) {
    f.pushed_depth = f.depth;
    f.depth = 0;
    f.lm = 0;
    f.nid = c.stats.nodes++;
    ++c.stats.qnodes;
    c.stats.seldepth = std::max(c.stats.seldepth, f.ply);
    f.best_move = f.tt_move = NULL_MOVE;
    f.one_reply = f.singular = f.mate_threat = 0;
    f.ev = NO_EVAL;
    reset_moves(f);
    if (f.ply >= 2 * search_shared.iteration.load(std::memory_order_relaxed) + 20) {
        evaluate_node(c, f);
        return finished(f.ev_stm);
    }
    Step early;
    if (node_ends_early(c, f, early)) return early;
    if (probe_in_qsearch && table_probe(c, f, !f.no_tt_cut)) return finished(f.best);

    f.best = -MATE;
    f.scout_low = f.alpha;
    // In check there is no standing pat, and the evasions are picked without the evaluation.
    if (!f.in_check) {
        evaluate_node(c, f);
        f.best = f.ev_stm;
        if (f.best >= f.beta) {
            if (probe_in_qsearch) table_store(c, f);
            return finished(f.best);
        }
        f.scout_low = std::max(f.best, f.alpha);
    }
    f.scout_high = f.beta;
    return next_quiescence_move(c, f);
}

Step resume_quiescence(CpuContext& c, Frame& f, int child_score) {
    if (top_entry(c).search != CONT_QUIESCENCE)
        log_fatal(1, "reached end of qsearch()! you screwed something up.\n");
    int score = -child_score;
    Move move = top_entry(c).move;
    unmake_move(c.position);
    if (score > f.best) {
        f.best = score;
        f.best_move = move;
        f.scout_low = std::max(f.scout_low, score);
        if (f.best >= f.beta) return end_quiescence(c, f);
    }
    return next_quiescence_move(c, f);
}
