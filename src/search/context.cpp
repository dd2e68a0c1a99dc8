#include "search/context.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "common/log.h"

CpuContext* contexts[MAX_THREADS];

namespace {

// Every frame of the pool on the free list, the first frame last, so that levels take frames
// in the same order in every search.
void fill_pool(CpuContext& c) {
    c.free_frames = nullptr;
    c.returned_frames = nullptr;
    for (Frame& f : c.frame_pool) {
        f.owner = &c;
        f.next = c.free_frames;
        c.free_frames = &f;
    }
    for (StackEntry& e : c.frame_stack) e.frame = nullptr;
}

}  // namespace

CpuContext* create_context(int cpu) {
    void* memory = std::aligned_alloc(alignof(CpuContext), sizeof(CpuContext));
    if (!memory) log_fatal(1, "create_context():       out of memory for CPU%d\n", cpu);
    CpuContext* c = new (memory) CpuContext();
    c->cpu = cpu;
    c->top = -1;
    fill_pool(*c);
    c->trans_share.init("Transposition Table", 64, cpu);
    c->king_hash.init("King hash", 64, cpu);
    c->pawn_hash.init("Pawn hash", 64, cpu);
    log_print("CPU%d starting.\n", cpu);
    return c;
}

void destroy_context(CpuContext* c) {
    c->trans_share.release();
    c->king_hash.release();
    c->pawn_hash.release();
    c->~CpuContext();
    std::free(c);
}

void reset_context(CpuContext& c, const Position& game) {
    c.stats = SearchStats{};
    c.top = -1;
    c.buoy = nullptr;
    c.position = game;
    clear_move_history(c.history);
    fill_pool(c);
    for (auto& request : c.requests) request.store(0, std::memory_order_relaxed);
    c.searching.store(1, std::memory_order_relaxed);
}

Frame* get_free_frame(CpuContext& c) {
    if (!c.free_frames) {
        spin_lock(c.return_lock);
        c.free_frames = c.returned_frames;
        c.returned_frames = nullptr;
        spin_unlock(c.return_lock);
    }
    Frame* f = c.free_frames;
    if (!f) log_fatal(1, "get_free_frame(): free list empty!\n");
    c.free_frames = f->next;
    f->next = nullptr;
    f->split_parent = nullptr;
    f->joined = 0;
    f->workers = 1;
    f->aborted = 0;
    f->is_split = 0;
    std::memset(f->children, 0, sizeof f->children);
    return f;
}

void return_frame(CpuContext& c, Frame* frame) {
    CpuContext* owner = frame->owner;
    if (owner == &c) {
        frame->next = c.free_frames;
        c.free_frames = frame;
        return;
    }
    spin_lock(owner->return_lock);
    frame->next = owner->returned_frames;
    owner->returned_frames = frame;
    spin_unlock(owner->return_lock);
}
