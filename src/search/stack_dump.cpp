#include "search/stack_dump.h"

#include "board/notation.h"
#include "common/log.h"

thread_local CpuContext* current_context = nullptr;

void stack_dump(const CpuContext* c, const char* function, const char* file, int line) {
    if (!c) c = contexts[0];
    if (!c) return;
    int buoy_ply = c->buoy ? c->buoy->ply : -1;
    log_print("\nstack_dump: CPU%d (buoy at ply %d) %s() %s:%d \n", c->cpu, buoy_ply, function, file, line);
    for (int level = 0; level <= c->top && level < MAX_STACK; ++level) {
        const StackEntry& e = c->frame_stack[level];
        const Frame& f = *e.frame;
        log_print("ply: %2d depth: %3d move: %6s red: %d lm: %d search: %d  mg_status: %d tt: {%d, %6s} "
                  "alpha: %6d beta: %6d a: %6d best: {%7d, %6s} ev=%d type=%d nid: %llu\n",
                  f.ply, f.depth, move_text(e.move), e.red, f.lm, e.search, f.picker.mg_status, f.tt_type,
                  move_text(f.tt_move), f.alpha, f.beta, f.alpha, f.best, move_text(f.best_move), f.ev,
                  f.type, (unsigned long long)f.nid);
    }
}
