// The start of an ordinary node: early ends, table and tablebase probes, evaluation, the null
// move and the internal searches that find a move to try first.
#include "board/t_move_basics.h"
#include "common/settings.h"
#include "search/node_internal.h"
#include "search/node_rules.h"
#include "search/node_services.h"
#include "search/search_options.h"
#include "search/search_shared.h"
#include "search/trans_table.h"
#include "search/user_nodes.h"
#include "tablebase/tablebase.h"

namespace {

bool parent_launched(CpuContext& c, int code) {
    StackEntry* parent = parent_entry(c);
    return parent && parent->search == code;
}

int men_on_board(const Position& p) { return popcount(p.all_pieces); }

// The tables count a mate from the probed position; the search counts it from the root.
int score_from_root(int score, int ply) {
    if (score > 0) return score - ply;
    if (score < 0) return score + ply;
    return 0;
}

bool probe_tablebases(CpuContext& c, Frame& f) {
    int min_depth = tb_min_depth - (f.type == NODE_PV ? 2 : 0);
    if (f.depth < min_depth || f.ply < 4 || men_on_board(c.position) > tablebase_max_men())
        return false;
    ++c.stats.tb_probes;
    int score;
    if (!tablebase_probe(c.position, score)) return false;
    ++c.stats.tb_hits;
    f.best = score_from_root(score, f.ply);
    // The tables give the score, not a move: an older table move stored with it would be taken
    // for the move that reaches it, by the root's table cutoff and by the principal variation.
    f.best_move = f.tt_move = NULL_MOVE;
    int alpha = f.alpha, beta = f.beta, depth = f.depth;
    f.alpha = f.best - 1, f.beta = f.best + 1, f.depth = 127;  // an exact entry
    table_store(c, f);
    f.alpha = alpha, f.beta = beta, f.depth = depth;
    return true;
}

// The null move and the table's move come first among the children; their table entries load
// from memory while this node evaluates.
void prefetch_first_children(const CpuContext& c, const Frame& f) {
    if (enable_null_move && f.type != NODE_PV && !f.in_check)
        prefetch_table_entry(hash_key_after(c.position, NULL_MOVE));
    if (f.tt_move) prefetch_table_entry(hash_key_after(c.position, f.tt_move));
}

Step after_null_move(CpuContext& c, Frame& f);

Step try_null_move(CpuContext& c, Frame& f) {
    if (!null_move_allowed(c.position, f)) return after_null_move(c, f);
    int null_depth = null_move_depth(c.position, f.depth);
    top_entry(c).move = NULL_MOVE;
    top_entry(c).red = 0;
    make_move(c.position, NULL_MOVE);
    push_child(c, CONT_NULL_MOVE, -f.beta, 1 - f.beta, null_depth, f.kind + 1, 0, -f.type);
    return PUSHED_CHILD;
}

// Internal searches of the same position are launched over SKIP_MOVE so that the child sits one
// level up with the same side to move.
void push_internal(CpuContext& c, Frame& f, int code, int alpha, int beta, int depth) {
    top_entry(c).move = SKIP_MOVE;
    top_entry(c).red = 0;
    make_move(c.position, SKIP_MOVE);
    push_child(c, code, alpha, beta, depth, 1, f.in_check, f.type);
}

Step internal_deepening(CpuContext& c, Frame& f) {
    if (f.depth >= 3) ++c.stats.iid_base;
    FirstMoveSearch search = first_move_search(f);
    if (search == FirstMoveSearch::IID) {
        ++c.stats.iid_count;
        push_internal(c, f, CONT_IID, f.alpha, f.beta, f.depth - 2);
        return PUSHED_CHILD;
    }
    if (search == FirstMoveSearch::PROBE) {
        push_internal(c, f, CONT_PROBE, f.alpha - 33, f.alpha - 32, f.depth - 4);
        return PUSHED_CHILD;
    }
    return after_iid(c, f);
}

Step after_null_move(CpuContext& c, Frame& f) {
    if (enable_mate_extension && f.mate_threat && f.ply > 0 && f.type != NODE_ALL &&
        f.depth >= 0 && f.depth <= mate_extension_max_depth) {
        StackEntry* parent = parent_entry(c);
        bool parent_in_check = parent && parent->frame->in_check;
        if (!parent_in_check || !enable_check_evasion_extension) {
            ++f.node_ext;
            ++c.stats.ext_mate;
        }
    }
    return internal_deepening(c, f);
}

Step resume_null_move(CpuContext& c, Frame& f, int child_score) {
    unmake_move(c.position);
    int score = -child_score;
    if (score >= f.beta) {
        f.best = score;
        return finished(f.beta);
    }
    Move reply = null_move_reply(child_frame(c));
    if (child_score >= MATE_BOUND && reply > SKIP_MOVE) f.mate_threat = mate_threat_is_real(c.position, reply);
    if (refutes_reduction(parent_entry(c), f, reply)) return finished(f.alpha);
    return after_null_move(c, f);
}

Step resume_internal(CpuContext& c, Frame& f, int code, int child_score) {
    unmake_move(c.position);
    Move found = child_frame(c).best_move;
    if (code == CONT_IID && child_score <= f.alpha) {
        push_internal(c, f, CONT_IID_LOWERED, std::max(f.alpha - 100, -MATE), f.beta, f.depth - 2);
        return PUSHED_CHILD;
    }
    if (found > SKIP_MOVE) f.tt_move = found;
    return after_iid(c, f);
}

}  // namespace

bool node_ends_early(CpuContext& c, Frame& f, Step& out) {
    if (search_stopped()) {
        out = STOPPED_SEARCH;
        return true;
    }
    if (mate_distance_prunes(f)) {
        out = finished(f.alpha);
        return true;
    }
    f.no_tt_cut = 0;
    if (is_draw(c.position, f)) {
        out = finished(0);
        return true;
    }
    return false;
}

Step start_node(CpuContext& c, Frame& f) {
    f.lm = -1;
    f.nid = c.stats.nodes++;
    f.best = -MATE;
    f.best_move = f.tt_move = NULL_MOVE;
    f.one_reply = f.after_first = f.singular = f.mate_threat = 0;
    f.reduced_refusals.store(0, std::memory_order_relaxed);
    f.scout_low = f.alpha;
    f.scout_high = f.beta;
    c.stats.seldepth = std::max(c.stats.seldepth, f.ply);
    reset_moves(f);
    if (parent_launched(c, CONT_ORDERING)) {
        const Frame& parent = *parent_entry(c)->frame;
        for (int i = 0; i < parent.picker.tried_count; ++i) exclude_move(f, parent.picker.tried[i]);
    }

    Step early;
    if (node_ends_early(c, f, early)) return early;
    bool may_cut = !f.no_tt_cut && !parent_launched(c, CONT_ORDERING);
    if (table_probe(c, f, may_cut)) return finished(f.best);
    if (probe_tablebases(c, f)) return finished(f.best);

    prefetch_first_children(c, f);
    evaluate_node(c, f);
    f.base_red = 0;
    f.node_ext = 0;
    if (enable_user_lines && f.depth >= user_lines_min_depth &&
        user_node_included(c.position.hash_key))
        f.node_ext = 1;
    if (reduced_move_looks_good(parent_entry(c), f, c.position.turn)) return finished(f.alpha);
    return try_null_move(c, f);
}

Step resume_start(CpuContext& c, Frame& f, int code, int child_score) {
    if (code == CONT_NULL_MOVE) return resume_null_move(c, f, child_score);
    return resume_internal(c, f, code, child_score);
}
