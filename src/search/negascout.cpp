// The node search as one loop over an explicit stack: a frame runs until it launches a child or
// finishes; a finished child is popped and its parent resumes where its continuation code says.
#include "search/negascout.h"

#include "board/attacks.h"
#include "common/log.h"
#include "search/node_internal.h"
#include "search/search_options.h"
#include "search/search_shared.h"
#include "search/split_point.h"

bool search_stopped() { return search_shared.stop.load(std::memory_order_relaxed) != 0; }

void push_child(CpuContext& c, int code, int alpha, int beta, int depth, int kind, int in_check,
                int type) {
    StackEntry& e = top_entry(c);
    e.search = uint8_t(code);
    e.child_depth = int8_t(depth);
    int level = c.top + 1;
    if (level >= MAX_STACK) log_fatal(1, "get_free_frame(): free list empty!\n");
    StackEntry& child_entry = c.frame_stack[level];
    if (!child_entry.frame) child_entry.frame = get_free_frame(c);
    Frame& child = *child_entry.frame;
    child.alpha = alpha;
    child.beta = beta;
    child.depth = depth;
    child.kind = kind;
    child.in_check = in_check;
    child.ply = e.frame->ply + (e.move != SKIP_MOVE);  // an internal search stays at its node's ply
    child.type = type;
    child.level = level;
    c.top = level;
}

namespace {

Step enter_node(CpuContext& c) {
    if (c.link_count && !smp_node_entry(c)) return STOPPED_SEARCH;
    Frame& f = top_frame(c);
    return f.depth >= 1 ? start_node(c, f) : start_quiescence(c, f);
}

}  // namespace

int negascout(CpuContext& c) {
    // A thread that has just joined a split point starts in its move loop; whoever finishes a
    // split point goes on below it, so every thread's work ends at the root.
    Step step = c.assisting ? join_split_point(c) : enter_node(c);
    for (;;) {
        if (step.kind == Step::STOPPED) return step.score;
        if (step.kind == Step::PUSHED) {
            step = enter_node(c);
            continue;
        }
        if (--c.top < 0) return step.score;
        Frame& f = top_frame(c);
        step = f.depth >= 1 ? resume_node(c, f, top_entry(c).search, step.score)
                            : resume_quiescence(c, f, step.score);
    }
}

namespace {

// The first moves of the latest lines with more than one move, newest first.
void collect_root_lines(CpuContext& c) {
    c.root_first_count = 0;
    if (multipv <= 1) return;
    std::lock_guard<std::mutex> hold(search_shared.output_lock);
    for (int i = search_shared.record_count - 1; i >= 0 && c.root_first_count < MAX_ROOT_FIRST; --i) {
        const IterationRecord& r = search_shared.records[i];
        if (r.pv_length > 1) c.root_first[c.root_first_count++] = {r.pv[0], r.score};
    }
}

}  // namespace

void push_root(CpuContext& c, int depth) {
    collect_root_lines(c);
    StackEntry& e = c.frame_stack[0];
    if (!e.frame) e.frame = get_free_frame(c);
    Frame& root = *e.frame;
    root.alpha = -MATE;
    root.beta = MATE;
    root.depth = depth;
    root.ply = 0;
    root.in_check = in_check(c.position);
    root.type = NODE_PV;
    root.kind = 2;
    root.level = 0;
    c.top = 0;
}
