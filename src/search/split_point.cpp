// Split points: making them, leaving them, cutting them off, and the tree they form.
#include "search/split_point.h"

#include <cstring>
#include <thread>

#include "board/t_move_basics.h"
#include "common/log.h"
#include "search/negascout.h"
#include "search/node_internal.h"
#include "search/stack_dump.h"

SpinLock split_tree_lock;

namespace {

void make_split_point(Frame& f, Frame* parent) {
    f.is_split = 1;
    f.workers.store(2, std::memory_order_relaxed);
    f.split_parent = parent;
    f.aborted.store(parent ? parent->aborted.load(std::memory_order_relaxed) : 0,
                    std::memory_order_relaxed);
}

int free_child_slot(const Frame& split_point) {
    for (int slot = 0; slot < MAX_SPLIT_CHILDREN; ++slot)
        if (!split_point.children[slot]) return slot;
    return -1;
}

// Under the tree lock: the split point leaves the tree and becomes an ordinary frame again.
void detach(Frame& f) {
    if (Frame* parent = f.split_parent) {
        parent->children[find_child(*parent, &f)] = nullptr;
        --parent->joined;
    }
    f.is_split = 0;
    f.joined = 0;
    f.split_parent = nullptr;
    f.workers.store(1, std::memory_order_relaxed);
    f.aborted.store(0, std::memory_order_relaxed);
    std::memset(f.children, 0, sizeof f.children);
}

// Under the tree lock: the owner's frame `f` becomes a split point with one more worker, placed
// in the tree among the split points of the owner's stack. False when it is refused.
bool attach(CpuContext& owner, Frame& f) {
    Frame* buoy = owner.buoy;
    if (!buoy) {
        make_split_point(f, nullptr);
        owner.buoy = &f;
        return true;
    }
    if (buoy->level < f.level) {
        int slot = free_child_slot(*buoy);
        if (slot < 0) return false;
        make_split_point(f, buoy);
        buoy->children[slot] = &f;
        ++buoy->joined;
        owner.buoy = &f;
        return true;
    }
    if (f.is_split) {
        if (f.workers.load(std::memory_order_relaxed) >= 32) return false;
        f.workers.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    // Between two split points of the owner's chain, or above its topmost one.
    Frame* lower = buoy;
    Frame* upper = buoy->split_parent;
    while (upper && upper->level > f.level) {
        lower = upper;
        upper = upper->split_parent;
    }
    make_split_point(f, upper);
    if (upper) upper->children[find_child(*upper, lower)] = &f;
    f.children[0] = lower;
    f.joined = 1;
    lower->split_parent = &f;
    return true;
}

// The joiner takes the owner's stack up to the split point; it still stands at the root.
void give_stack(CpuContext& owner, CpuContext& joiner, int level) {
    for (int k = 0; k <= level; ++k) joiner.frame_stack[k] = owner.frame_stack[k];
    joiner.top = level;
    joiner.buoy = owner.frame_stack[level].frame;
    joiner.assisting = 1;
    copy_killers(joiner.history, owner.history, level);
    std::memcpy(joiner.split_scores, owner.split_scores, sizeof joiner.split_scores);
    joiner.idle.store(0, std::memory_order_relaxed);
    ++owner.stats.extra[STAT_SPLITS];
}

// The level is still inside a move loop with moves to give: not the newest level, whose frame is
// only now being entered, nor one busy with an internal search of its own position.
bool worth_splitting(const CpuContext& c, int level, const Frame& f) {
    int code = c.frame_stack[level].search;
    return level >= 1 && level < c.top && (code == CONT_SCOUT || code == CONT_RESEARCH) &&
           f.depth >= 2 && f.lm >= 1 && moves_remaining(f.picker) != 0 &&
           c.split_scores[std::min(level, SPLIT_LEVELS - 1)] > 0 &&
           !f.aborted.load(std::memory_order_relaxed);
}

void offer_split(CpuContext& owner, CpuContext& joiner, int level) {
    Frame& f = *owner.frame_stack[level].frame;
    spin_lock(split_tree_lock);
    spin_lock(f.lock);
    update_split_score(owner, level, f);
    bool worth = worth_splitting(owner, level, f);
    spin_unlock(f.lock);
    if (worth && attach(owner, f)) give_stack(owner, joiner, level);
    spin_unlock(split_tree_lock);
}

constexpr uint8_t REQUEST_CLAIMED = 0xff;

void answer_requests(CpuContext& c) {
    for (int slot = 0; slot < c.link_count; ++slot) {
        std::atomic<uint8_t>& request = c.requests[slot];
        uint8_t level = request.load(std::memory_order_relaxed);
        if (level == 0 || level == REQUEST_CLAIMED) continue;
        // Claimed, so that the requester cannot withdraw while its stack is being written.
        if (!request.compare_exchange_strong(level, REQUEST_CLAIMED, std::memory_order_acquire)) continue;
        if (level < c.top) offer_split(c, *c.links[slot], level);
        request.store(0, std::memory_order_release);
    }
}

// Frames at `keep_level` and below stay with the other threads that work on them; the frames
// above are this thread's alone and go back to their owners.
void give_up_stack(CpuContext& c, int keep_level) {
    for (int k = 0; k < c.top; ++k) unmake_move(c.position);
    for (int k = 0; k < MAX_STACK && c.frame_stack[k].frame; ++k) {
        if (k > keep_level) return_frame(c, c.frame_stack[k].frame);
        c.frame_stack[k].frame = nullptr;
    }
    c.top = -1;
    c.buoy = nullptr;
    c.abort.store(1, std::memory_order_relaxed);
}

// Under the tree lock: the split point and every split point below it are to stop.
void abort_below(Frame& f) {
    f.aborted.store(1, std::memory_order_relaxed);
    for (Frame* child : f.children)
        if (child && !child->aborted.load(std::memory_order_relaxed)) abort_below(*child);
}

}  // namespace

void illegal_split_point_move(const CpuContext& c, const Frame& f) {
    log_fatal(0, "cpu: %d got illegal move at ply %d\n", c.cpu, f.ply);
    stack_dump(&c, "get_next_move_smp", "src/t_smp", 500);
    leave_process(1);
}

int find_child(const Frame& split_point, const Frame* frame) {
    for (int slot = MAX_SPLIT_CHILDREN - 1; slot >= 0; --slot)
        if (split_point.children[slot] == frame) return slot;
    log_fatal(1, "find_child failed!!\n");
    return -1;
}

bool smp_node_entry(CpuContext& c) {
    if (c.buoy && c.buoy->aborted.load(std::memory_order_relaxed)) {
        release_split_points(c);
        return false;
    }
    answer_requests(c);
    return true;
}

bool leave_split_point(CpuContext& c, Frame& f) {
    // Once this thread has left, the last one may reuse the frame: its level is read first.
    int level = f.level;
    spin_lock(split_tree_lock);
    bool last = f.workers.fetch_sub(1, std::memory_order_relaxed) == 1;
    if (last) {
        c.buoy = f.split_parent;
        detach(f);
    }
    spin_unlock(split_tree_lock);
    if (!last) give_up_stack(c, level);
    return last;
}

bool cutoff_at_split_point(CpuContext& c, Frame& f) {
    spin_lock(split_tree_lock);
    if (f.aborted.load(std::memory_order_relaxed)) {
        spin_unlock(split_tree_lock);
        release_split_points(c);
        return false;
    }
    abort_below(f);
    c.stats.extra[STAT_ABORTS] += uint64_t(f.workers.load(std::memory_order_relaxed) - 1);
    spin_unlock(split_tree_lock);
    while (f.workers.load(std::memory_order_acquire) > 1) {
        if (search_stopped()) return false;
        std::this_thread::yield();
    }
    spin_lock(split_tree_lock);
    c.buoy = f.split_parent;
    detach(f);
    spin_unlock(split_tree_lock);
    return true;
}

void release_split_points(CpuContext& c) {
    spin_lock(split_tree_lock);
    Frame* held = c.buoy;
    while (held && held->workers.fetch_sub(1, std::memory_order_release) == 1) {
        Frame* parent = held->split_parent;
        detach(*held);
        held = parent;
    }
    int keep_level = held ? held->level : -1;
    spin_unlock(split_tree_lock);
    give_up_stack(c, keep_level);
}
