#include "search/root.h"

#include "board/t_move_basics.h"
#include "platform/clock.h"
#include "search/node_services.h"
#include "search/search_options.h"
#include "search/split_point.h"
#include "search/trans_table.h"

namespace {

using CounterWord = uint64_t __attribute__((may_alias));
static_assert(sizeof(SearchStats) % sizeof(CounterWord) == 0);

// A thread's counters, read while it may still be counting: a progress report's node count may
// be a few nodes behind, which harms nothing. Word by word, so that each word is read whole, and
// kept out of the thread sanitizer, for which any such read is a race.
__attribute__((no_sanitize("thread"))) SearchStats counters_of(const CpuContext& c) {
    SearchStats copy;
    auto from = reinterpret_cast<const volatile CounterWord*>(&c.stats);
    auto to = reinterpret_cast<CounterWord*>(&copy);
    for (size_t i = 0; i < sizeof copy / sizeof(CounterWord); ++i) to[i] = from[i];
    return copy;
}

}  // namespace

SearchStats sum_thread_stats() {
    SearchStats total{};
    for (CpuContext* c : contexts)
        if (c) add_search_stats(total, counters_of(*c));
    return total;
}

namespace {

void fill_pv(CpuContext& c, IterationRecord& r, Move root_move, bool move_alone) {
    if (root_move == NULL_MOVE) {
        r.pv_length = trans_table_pv(c.position, r.pv, MAX_PV - 1);
        return;
    }
    r.pv[0] = root_move;
    r.pv_length = 1;
    if (move_alone) return;
    make_move(c.position, root_move);
    r.pv_length += trans_table_pv(c.position, r.pv + 1, MAX_PV - 2);
    unmake_move(c.position);
}

}  // namespace

void report_progress(CpuContext& c, Move root_move, int depth, int score, bool in_search,
                     bool move_alone) {
    // Built outside the lock, so a thread holds the lock only for the copy.
    static thread_local IterationRecord r;
    SearchStats stats = sum_thread_stats();
    r.root_move = root_move;
    r.nodes = stats.nodes;
    r.tb_hits = stats.tb_hits;
    r.splits = stats.extra[STAT_SPLITS];
    r.aborts = stats.extra[STAT_ABORTS];
    r.max_ply = stats.seldepth;
    r.elapsed_us = now_us() - search_shared.start_us;
    r.iteration = depth;
    r.score = score;
    r.in_search = in_search;
    fill_pv(c, r, root_move, move_alone);
    std::lock_guard<std::mutex> hold(search_shared.output_lock);
    if (search_shared.record_count < MAX_RECORDS) search_shared.records[search_shared.record_count++] = r;
}

void report_root_fail_high(CpuContext& c, Move move, int depth, int score) {
    report_progress(c, move, depth, score, true, true);
    std::lock_guard<std::mutex> hold(search_shared.output_lock);
    search_shared.root_trouble = 1;
}

void report_root_best(CpuContext& c, Frame& root, Move move) {
    // Stored as a lower bound of the new best, so the line read from the table starts with it.
    int beta = root.beta;
    root.beta = root.best;
    table_store(c, root);
    root.beta = beta;
    report_progress(c, move, root.depth, root.best, true, false);
    if (root.best <= search_shared.last_score - 20) {
        std::lock_guard<std::mutex> hold(search_shared.output_lock);
        search_shared.root_trouble = 1;
    }
}

bool root_multipv_update(CpuContext&, Frame& root, int score) {
    std::lock_guard<std::mutex> hold(search_shared.output_lock);
    SearchShared& s = search_shared;
    int* scores = s.multipv_scores;
    int i;
    if (s.multipv_count < multipv) {
        i = s.multipv_count++;
    } else if (score > scores[s.multipv_count - 1]) {
        i = s.multipv_count - 1;
    } else {
        i = -1;
    }
    if (i >= 0) {
        for (; i > 0 && score > scores[i - 1]; --i) scores[i] = scores[i - 1];
        scores[i] = score;
    }
    if (s.multipv_count >= multipv) {
        root.scout_low = scores[multipv - 1];
        root.scout_high = root.scout_low + 1;
    } else {
        root.scout_low = -MATE;
        root.scout_high = score;
    }
    return i >= 0;
}
