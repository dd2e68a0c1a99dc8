// Starting, running and stopping searches: the search threads, their start barrier, iterative
// deepening at the root.
#pragma once

#include "board/position.h"
#include "common/search_stats.h"

// Search threads run one step below normal priority, so that the interface stays responsive.
extern int nice_threads;

// Starts `count` search threads and lets each allocate its tables; they park at the barrier.
void search_threads_start(int count);
// Ends every search thread (no search may be running).
void search_threads_stop();
int search_thread_count();
// Starts search thread `cpu`, the next free number, and waits until every thread is parked.
// No search may be running; the new thread has tables once the threads are resized.
void search_thread_start(int cpu);
// Ends search thread `cpu`, the highest number, and waits until the others are parked again.
// No search may be running.
void search_thread_stop(int cpu);
// Runs the parked threads once through the barrier so that each resizes its own tables.
void search_threads_resize();

// The deepest iteration any search may reach. The fuzzing harness lowers it so that every
// search its input starts ends within moments.
extern int search_depth_cap;
// Starts a search of `game` (no search may be running); iterations stop at `depth_limit`, or
// at search_depth_cap when that is lower.
void start_search(const Position& game, int depth_limit);
// Whether the newest progress record completed the last iteration allowed.
bool search_reached_limit();
// Stops the running search, waits until every thread has parked, and returns the summed
// counters of all threads.
SearchStats stop_search();
// Has every thread clear its tables at the next search start.
void request_table_clear();
