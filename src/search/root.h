// The root's side of the search: progress records for the front-end and the MultiPV scores.
#pragma once

#include "search/context.h"
#include "search/search_shared.h"

// Appends a progress record: `root_move` is NULL_MOVE for a completed iteration. With
// `move_alone` the principal variation is the root move only; otherwise it comes from the table.
void report_progress(CpuContext& c, Move root_move, int depth, int score, bool in_search,
                     bool move_alone);
// A root move's scout search reached the scout bound and is about to be searched again.
void report_root_fail_high(CpuContext& c, Move move, int depth, int score);
// A root move became the best with a score above alpha (the root position is on the board).
void report_root_best(CpuContext& c, Frame& root, Move move);
// MultiPV bookkeeping after a root move's final score; sets the next move's scout window.
// True when the score is among the best `multipv` kept.
bool root_multipv_update(CpuContext& c, Frame& root, int score);
// The counters of all threads summed.
SearchStats sum_thread_stats();
