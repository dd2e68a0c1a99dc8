// The moves of an ordinary node: the singular test, the scout searches and re-searches with
// their reductions and extensions, the ordering search, and the end of the node.
#include <algorithm>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/movegen.h"
#include "board/t_move_basics.h"
#include "common/log.h"
#include "common/settings.h"
#include "search/node_internal.h"
#include "search/node_rules.h"
#include "search/node_services.h"
#include "search/root.h"
#include "search/search_options.h"
#include "search/search_shared.h"
#include "search/split_point.h"

namespace {

// Holds a split point's lock while its moves and scores are read or changed; an ordinary frame
// is its thread's alone.
class SplitGuard {
public:
    explicit SplitGuard(Frame& f) : held_(f.is_split ? &f : nullptr) {
        if (held_) spin_lock(held_->lock);
    }
    ~SplitGuard() { release(); }
    SplitGuard(const SplitGuard&) = delete;
    SplitGuard& operator=(const SplitGuard&) = delete;
    bool at_split_point() const { return held_ != nullptr; }
    void release() {
        if (held_) spin_unlock(held_->lock);
        held_ = nullptr;
    }

private:
    Frame* held_;
};

Step search_next_move(CpuContext& c, Frame& f);
Step next_singular_move(CpuContext& c, Frame& f);

int singular_margin_of(const Frame& f) { return f.type == NODE_PV ? singular_margin_pv : singular_margin; }

Step start_move_loop(CpuContext& c, Frame& f) {
    f.lm = 0;
    f.after_first = 0;
    f.scout_low = f.alpha;
    f.scout_high = f.beta;
    restart_moves(f, false);
    return search_next_move(c, f);
}

// The child will most likely evaluate; its pawn-king block is the load it would wait for.
void prefetch_king_block(const CpuContext& c) {
    if (c.king_hash.entries) __builtin_prefetch(c.king_hash.entry_for(king_pawn_key(c.position)));
}

}  // namespace

bool make_next_legal(CpuContext& c, Frame& f, bool quiescence_picker) {
    StackEntry& e = top_entry(c);
    for (;;) {
        Move move;
        uint32_t flags = 0;
        bool found = quiescence_picker ? pick_quiescence_move(c, f, move)
                                       : pick_move(c, f, move, flags);
        if (!found) return false;
        // A split point's moves were generated on another thread's board.
        if (f.is_split && !is_valid_move(c.position, move)) illegal_split_point_move(c, f);
        make_move(c.position, move);
        prefetch_table_entry(c.position.hash_key);
        prefetch_king_block(c);
        if (!f.in_check && leaves_king_attacked(c.position, move)) {
            unmake_move(c.position);
            ++f.after_first;
            continue;
        }
        e.move = move;
        e.flags = flags & ENTRY_PICKER_MARK;
        if (in_check(c.position)) e.flags |= ENTRY_GIVES_CHECK;
        e.red = 0;
        return true;
    }
}

namespace {

Step begin_singular_test(CpuContext& c, Frame& f) {
    f.singular_bound = f.alpha <= -9900 ? f.tt_score : f.alpha;
    f.singular_tries = 0;
    restart_moves(f, false);
    return next_singular_move(c, f);
}

Step next_singular_move(CpuContext& c, Frame& f) {
    if (f.singular_tries > 1 || !make_next_legal(c, f, false)) {
        f.singular = f.singular_tries == 1;
        return start_move_loop(c, f);
    }
    int margin = singular_margin_of(f);
    int depth = f.depth - (f.depth >= 8 ? 5 : 4);
    int b = f.singular_bound;
    push_child(c, CONT_SINGULAR, margin - b, margin - b + 1, depth, 0,
               (top_entry(c).flags & ENTRY_GIVES_CHECK) != 0, -f.type);
    return PUSHED_CHILD;
}

Step resume_singular(CpuContext& c, Frame& f, int child_score) {
    unmake_move(c.position);
    if (-child_score >= f.singular_bound - singular_margin_of(f)) ++f.singular_tries;
    return next_singular_move(c, f);
}

// Whether the side in check at `f` was in check or under a mate threat at its own previous
// node, two plies up; internal searches of a position share its ply and its flags.
bool pressed_in_check(const CpuContext& c, const Frame& f) {
    if (!f.in_check) return false;
    for (int level = c.top - 1; level >= 0; --level) {
        const Frame& g = *c.frame_stack[level].frame;
        if (g.ply < f.ply - 2) break;
        if (g.ply == f.ply - 2) return g.in_check || g.mate_threat;
    }
    return false;
}

bool is_capture_or_promotion(Move m) {
    return is_capture(m) || move_promotion(m) != EMPTY;
}

int reduction_for(const Frame& f, const StackEntry& e) {
    int red = f.base_red;
    if (enable_history_pruning && f.depth >= history_pruning_depth && f.type != NODE_PV &&
        moves_stage(f) >= 4 && f.lm >= 4 && !is_capture_or_promotion(e.move) &&
        !(e.flags & ENTRY_PICKER_MARK))
        ++red;
    return red;
}

int child_type(const Frame& f) {
    if (f.type == NODE_PV) return f.lm == 1 ? NODE_PV : NODE_CUT;
    return f.lm <= 2 ? -f.type : NODE_CUT;
}

// Cut off above: the thread leaves its split points and becomes idle.
Step give_up_cut_work(CpuContext& c) {
    release_split_points(c);
    return STOPPED_SEARCH;
}

Step search_next_move(CpuContext& c, Frame& f) {
    SplitGuard guard(f);
    if (guard.at_split_point() && f.aborted.load(std::memory_order_relaxed)) {
        guard.release();
        return give_up_cut_work(c);
    }
    if (!make_next_legal(c, f, false)) {
        if (!guard.at_split_point()) return end_node(c, f);
        guard.release();
        return leave_split_point(c, f) ? end_node(c, f) : STOPPED_SEARCH;
    }
    StackEntry& e = top_entry(c);
    ++f.lm;
    if (is_root(f)) {
        c.root_move = e.move;
        c.root_move_number = f.lm;
    }
    int red = reduction_for(f, e);
    int iteration = search_shared.iteration.load(std::memory_order_relaxed);
    int extension = move_extension(c.position, f, e, iteration, c.stats, pressed_in_check(c, f));
    int depth = f.depth - 1 + extension - red;
    e.red = uint8_t(red);
    if (f.depth >= 2 && c.link_count) update_split_score(c, c.top, f);
    push_child(c, CONT_SCOUT, -f.scout_high, -f.scout_low, depth, 0,
               (e.flags & ENTRY_GIVES_CHECK) != 0, child_type(f));
    return PUSHED_CHILD;
}

Step after_move(CpuContext& c, Frame& f, int score);

Step resume_scout(CpuContext& c, Frame& f, int child_score) {
    int score = -child_score;
    StackEntry& e = top_entry(c);
    bool reduced = e.red > 0;
    SplitGuard guard(f);
    if (score >= f.scout_high && (reduced || score < f.beta)) {
        if (is_root(f) && !search_stopped() && !(score >= f.beta && !reduced))
            report_root_fail_high(c, e.move, f.depth, score);
        int depth = e.child_depth + e.red;
        int child_alpha = -f.beta;
        int child_beta = reduced ? -f.scout_low : 1 - score;
        int type = f.type == NODE_PV ? NODE_PV : child_type(f);
        e.red = 0;
        push_child(c, CONT_RESEARCH, child_alpha, child_beta, depth, 0,
                   (e.flags & ENTRY_GIVES_CHECK) != 0, type);
        return PUSHED_CHILD;
    }
    guard.release();
    return after_move(c, f, score);
}

// The split point has failed high: once the threads below it have stopped, the node ends here.
Step cut_off_split_point(CpuContext& c, Frame& f) {
    return cutoff_at_split_point(c, f) ? end_node(c, f) : STOPPED_SEARCH;
}

Step after_move(CpuContext& c, Frame& f, int score) {
    Move move = top_entry(c).move;
    unmake_move(c.position);
    SplitGuard guard(f);
    bool reported = false;
    if (score > f.best) {
        bool new_best_above_alpha = score > f.alpha;
        f.best = score;
        f.best_move = move;
        f.scout_low = std::max(f.scout_low, score);
        f.scout_high = f.scout_low + 1;
        reported = is_root(f) && new_best_above_alpha && !search_stopped();
        if (reported) report_root_best(c, f, move);
    }
    // A line that is not the best but among the `multipv` best needs a record of its own too,
    // or an analysis shows fewer lines than were asked for.
    if (is_root(f) && multipv > 1 && root_multipv_update(c, f, score) && !reported &&
        !search_stopped())
        report_progress(c, move, f.depth, score, true, false);
    // The ordering search restarts the picker, which the threads at a split point share.
    if (!guard.at_split_point() && ordering_search_follows(f, score)) {
        exclude_move(f, move);
        top_entry(c).move = SKIP_MOVE;
        make_move(c.position, SKIP_MOVE);
        push_child(c, CONT_ORDERING, std::max(f.alpha, f.best), f.beta, f.depth - 2, 1,
                   f.in_check, f.type);
        return PUSHED_CHILD;
    }
    bool cutoff = f.best >= f.beta;
    bool at_split_point = guard.at_split_point();
    guard.release();
    if (cutoff) return at_split_point ? cut_off_split_point(c, f) : end_node(c, f);
    return search_next_move(c, f);
}

Step resume_ordering(CpuContext& c, Frame& f, int child_score) {
    unmake_move(c.position);
    Move found = child_frame(c).best_move;
    if (child_score > std::max(f.alpha, f.best) && found > SKIP_MOVE && !is_excluded(f, found)) {
        f.tt_move = found;
        restart_moves(f, true);
    }
    if (f.best >= f.beta) return end_node(c, f);
    return search_next_move(c, f);
}

}  // namespace

Step join_split_point(CpuContext& c) {
    replay_to_split_point(c);
    return search_next_move(c, top_frame(c));
}

// After the internal searches: the singular test when it applies, then the moves.
Step after_iid(CpuContext& c, Frame& f) {
    if (singular_test_applies(c.position, f)) return begin_singular_test(c, f);
    return start_move_loop(c, f);
}

Step end_node(CpuContext& c, Frame& f) {
    if (c.abort.load(std::memory_order_relaxed)) return STOPPED_SEARCH;
    if (c.buoy && c.buoy->aborted.load(std::memory_order_relaxed)) return give_up_cut_work(c);
    if (f.lm == 0) f.best = f.in_check ? f.ply - MATE : 0;
    if (search_stopped()) return STOPPED_SEARCH;
    table_store(c, f);
    update_ordering(c, f);
    return finished(f.best);
}

Step resume_node(CpuContext& c, Frame& f, int code, int child_score) {
    switch (code) {
        case CONT_NULL_MOVE:
        case CONT_IID:
        case CONT_IID_LOWERED:
        case CONT_PROBE: return resume_start(c, f, code, child_score);
        case CONT_SCOUT: return resume_scout(c, f, child_score);
        case CONT_RESEARCH: return after_move(c, f, -child_score);
        case CONT_SINGULAR: return resume_singular(c, f, child_score);
        case CONT_ORDERING: return resume_ordering(c, f, child_score);
        default:
            log_fatal(1, "reached end of negascout()! you screwed something up.\n");
            return STOPPED_SEARCH;
    }
}
