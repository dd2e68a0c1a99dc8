#include "search/node_services.h"

#include "eval/evaluate.h"
#include "search/search_options.h"
#include "search/search_shared.h"
#include "search/trans_table.h"

bool table_probe(CpuContext& c, Frame& f, bool may_cut) {
    TTQuery query{f.ply, f.depth, f.alpha, f.beta, !may_cut};
    TTProbe probe;
    bool cutoff = trans_table_probe(c.position, query, probe, c.stats);
    f.tt_type = probe.type;
    f.tt_depth = probe.depth;
    f.tt_score = probe.score;
    f.tt_prev_cut = probe.prev_cut;
    f.singular = probe.singular;
    f.mate_threat = probe.mate_threat;
    f.one_reply = probe.one_reply;
    f.tt_move = f.tt_full_move = probe.move;
    f.ev = probe.ev;
    if (cutoff) f.best = probe.score;
    return cutoff;
}

void table_store(CpuContext& c, Frame& f) {
    TTResult result{f.best,        f.best_move,       f.tt_move,    f.alpha,
                    f.beta,        f.depth,           f.ply,        f.ev,
                    f.tt_type == TT_CUT, f.singular != 0, f.mate_threat != 0, f.one_reply != 0};
    trans_table_store(c.position.hash_key, result, c.stats);
}

void evaluate_node(CpuContext& c, Frame& f) {
    // The evaluation depends on the position alone, so the one the table kept for it stands.
    if (f.ev != NO_EVAL) {
        f.ev_stm = c.position.turn == WHITE ? f.ev : -f.ev;
        return;
    }
    EvalCaches caches{c.king_hash, c.pawn_hash, c.stats};
    f.ev_stm = evaluate(c.position, c.eval_info, caches);
    f.ev = c.eval_info.score;
}

void reset_moves(Frame& f) {
    picker_start(f.picker);
    f.excluded_count = 0;
}

void restart_moves(Frame& f, bool keep_tried) {
    if (keep_tried) {
        picker_restart(f.picker);
        return;
    }
    Move excluded[MAX_TRIED];
    int n = f.excluded_count;
    for (int i = 0; i < n; ++i) excluded[i] = f.picker.tried[i];
    picker_start(f.picker);
    for (int i = 0; i < n; ++i) picker_add_tried(f.picker, excluded[i]);
}

bool is_excluded(const Frame& f, Move move) {
    for (int i = 0; i < f.picker.tried_count; ++i)
        if (f.picker.tried[i] == move) return true;
    return false;
}

void exclude_move(Frame& f, Move move) {
    if (!is_excluded(f, move)) picker_add_tried(f.picker, move);
    f.excluded_count = f.picker.tried_count;
}

namespace {

// A quiescence node's own depth is always 0; the picker tells the first quiescence ply from the
// later ones by the depth the node was pushed with.
int picker_depth(const Frame& f) { return f.depth > 0 ? f.depth : f.pushed_depth; }

PickerContext picker_context(CpuContext& c, const Frame& f) {
    bool root_lines = is_root(f) && multipv > 1;
    return PickerContext{&c.position, &c.history, root_lines ? c.root_first : nullptr,
                         root_lines ? c.root_first_count : 0,
                         NULL_MOVE,   f.tt_move,  f.ply,      picker_depth(f),
                         f.alpha,     f.beta,     f.ev_stm,   f.in_check != 0,
                         f.type == NODE_PV};
}

}  // namespace

bool pick_move(CpuContext& c, Frame& f, Move& move, uint32_t& flags) {
    bool found = next_move(f.picker, picker_context(c, f), move, flags) == 0;
    if (f.picker.one_reply) f.one_reply = 1;
    return found;
}

bool pick_quiescence_move(CpuContext& c, Frame& f, Move& move) {
    uint32_t flags = 0;
    return next_qmove(f.picker, picker_context(c, f), move, flags) == 0;
}

int moves_stage(const Frame& f) { return f.picker.mg_status; }

void update_ordering(CpuContext& c, Frame& f) {
    NodeOutcome outcome{f.ply, c.position.turn, f.depth, f.alpha, f.best, f.lm, f.best_move};
    update_move_history(c.history, outcome);
}
