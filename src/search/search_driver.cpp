#include "search/search_driver.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "board/attacks.h"
#include "board/move_basics_fault.h"
#include "board/movegen.h"
#include "common/log.h"
#include "common/settings.h"
#include "platform/clock.h"
#include "search/context.h"
#include "search/negascout.h"
#include "search/root.h"
#include "search/split_point.h"
#include "search/stack_dump.h"
#include "search/start_barrier.h"
#include "search/statistics_block.h"
#include "search/table_sizing.h"
#include "search/trans_table.h"
#include "tablebase/tablebase.h"

SearchShared search_shared;
int search_depth_cap = MAX_ITERATION;

namespace {

int thread_count = 0;
Thread threads[MAX_THREADS];

void reset_per_search_fields(CpuContext& c) {
    c.buoy = nullptr;
    c.top = -1;
    c.abort = 0;
    c.assisting = 0;
    c.idle = 1;
    c.best_split = 0;
    std::memset(c.split_scores, 0, sizeof c.split_scores);
}

// Thread 0 has finished an iteration at the root with `score`: report it and go deeper, or
// return false when the depth limit is reached.
bool finish_iteration(CpuContext& c, int score) {
    int iteration = search_shared.iteration.load(std::memory_order_relaxed);
    report_progress(c, NULL_MOVE, iteration, score, false, false);
    {
        std::lock_guard<std::mutex> hold(search_shared.output_lock);
        search_shared.root_trouble = 0;
    }
    if (iteration >= MAX_ITERATION || iteration >= search_shared.depth_limit) return false;
    c.top = -1;
    search_shared.iteration.store(iteration + 1, std::memory_order_relaxed);
    search_shared.last_score = score;
    {
        std::lock_guard<std::mutex> hold(search_shared.output_lock);
        search_shared.multipv_count = 0;
    }
    push_root(c, iteration + 1);
    return true;
}

// The thread's part of one search: until stop, or until it completes the last iteration.
void run_search(CpuContext& c) {
    for (;;) {
        idle_loop(c);
        if (search_stopped() && !c.assisting) return;
        int score = negascout(c);
        if (search_stopped()) return;
        if (c.abort) {
            reset_per_search_fields(c);
            continue;
        }
        c.assisting = 0;
        c.best_split = 0;
        if (!finish_iteration(c, score)) return;
    }
}

void worker_cpu(void* arg) {
    int cpu = int(reinterpret_cast<intptr_t>(arg));
    CpuContext* c = create_context(cpu);
    contexts[cpu] = c;
    current_context = c;
    if (nice_threads) thread_lower_priority();
    while (!c->quit) {
        reset_per_search_fields(*c);
        c->searching = 0;  // set again, with every thread parked, when a search starts
        barrier_pass();
        if (resize_pending) resize_thread_tables(cpu, c->trans_share, c->king_hash, c->pawn_hash);
        if (c->quit) break;
        if (search_shared.searching)
            run_search(*c);
        else
            while (!search_stopped()) sleep_ms(1);
    }
    log_print("worker_cpu(): CPU%d exiting.\n", cpu);
    contexts[cpu] = nullptr;
    destroy_context(c);
}

// The only legal move, or a table move proven singular at a good depth; else none.
Move candidate_move(Position& game, const Move* root_moves, int count) {
    if (count == 1) return root_moves[0];
    TTQuery query{0, 1, -MATE, MATE, true};
    TTProbe probe;
    SearchStats ignored{};
    trans_table_probe(game, query, probe, ignored);
    bool trusted = probe.found && probe.singular && (probe.type == TT_CUT || probe.type == TT_PV) &&
                   probe.depth >= 9;
    return trusted ? probe.move : NULL_MOVE;
}

// A corrupt position met by make_move: show where the search was.
void dump_stack_of_current_thread() { stack_dump(current_context, "make_move", "src/t_move_basics", 503); }

}  // namespace

void search_threads_start(int count) {
    set_king_capture_hook(dump_stack_of_current_thread);
    barrier_init(0);
    for (int cpu = 0; cpu < count; ++cpu) search_thread_start(cpu);
    resize_pending = 1;
    search_threads_resize();
}

int search_thread_count() { return thread_count; }

void search_thread_start(int cpu) {
    if (thread_count > 0) barrier_wait_all_parked();
    barrier_set_thread_count(++thread_count);
    if (int error = thread_start(threads[cpu], worker_cpu, reinterpret_cast<void*>(intptr_t(cpu))))
        log_fatal(1, "error starting worker thread (%d)\n%s\n", cpu, std::strerror(error));
    barrier_wait_all_parked();
}

void search_thread_stop(int cpu) {
    barrier_wait_all_parked();
    tt_share_count = std::min(tt_share_count, cpu);  // the share goes with its thread
    contexts[cpu]->quit = 1;
    search_shared.stop = 1;
    barrier_release();
    barrier_set_thread_count(--thread_count);
    thread_join(threads[cpu]);
    if (thread_count > 0) barrier_wait_all_parked();  // the others are back before anything changes
}

void search_threads_resize() {
    search_shared.stop = 1;
    barrier_release();
    barrier_wait_all_parked();
    resize_pending = 0;
    tt_share_count = thread_count;  // every thread has published its share
}

void search_threads_stop() {
    while (thread_count > 0) search_thread_stop(thread_count - 1);
}

void start_search(const Position& game, int depth_limit) {
    tablebase_wait_ready();
    if (resize_pending) search_threads_resize();
    Position root = game;
    Move root_moves[MAX_MOVES];
    int root_count = 0;
    gen_legal(root, root_moves, root_count);
    {
        std::lock_guard<std::mutex> hold(search_shared.output_lock);
        search_shared.record_count = 0;
        search_shared.root_trouble = 0;
        search_shared.multipv_count = 0;
    }
    search_shared.depth_limit = std::clamp(depth_limit, 1, search_depth_cap);
    search_shared.searching = 1;
    search_shared.stop = 0;
    trans_table_next_age();
    for (int cpu = 0; cpu < thread_count; ++cpu) reset_context(*contexts[cpu], game);
    link_threads(thread_count);
    clear_shared_history();
    search_shared.candidate_move = candidate_move(root, root_moves, root_count);

    CpuContext& first = *contexts[0];
    search_shared.iteration = 1;
    search_shared.last_score = 0;
    push_root(first, 1);
    first.idle = 0;
    search_shared.start_us = now_us();
    barrier_release();
}

bool search_reached_limit() {
    std::lock_guard<std::mutex> hold(search_shared.output_lock);
    if (search_shared.record_count == 0) return false;
    const IterationRecord& r = search_shared.records[search_shared.record_count - 1];
    return !r.in_search && (r.iteration >= search_shared.depth_limit || r.iteration >= MAX_ITERATION);
}

SearchStats stop_search() {
    search_shared.stop = 1;
    search_shared.searching = 0;
    barrier_wait_all_parked();
    SearchStats total = sum_thread_stats();
    print_search_stats(total, now_us() - search_shared.start_us);
    return total;
}

void request_table_clear() {
    for (int cpu = 0; cpu < thread_count; ++cpu) {
        CpuContext& c = *contexts[cpu];
        c.trans_share.clear_pending = c.king_hash.clear_pending = c.pawn_hash.clear_pending = true;
    }
    resize_pending = 1;
}
