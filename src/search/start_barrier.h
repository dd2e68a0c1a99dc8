// The start barrier: search threads park here between searches, and the main thread releases
// them all at once. Starting, stopping and resizing all pass through it.
#pragma once

#include <mutex>

#include "platform/event.h"

struct StartBarrier {
    std::mutex barrier_lock;
    std::mutex start_lock;
    int arrivals = 0;
    int departures = 0;
    int thread_count = 0;  // search threads that take part
    Event all_arrived;     // initially clear
    Event all_departed;    // initially set
    Event start;           // initially clear
};

extern StartBarrier start_barrier;

// Puts the barrier into its initial state for `threads` search threads.
void barrier_init(int threads);
// Main side, with every thread parked, or re-parking after a release that let one leave:
// `threads` now take part.
void barrier_set_thread_count(int threads);
// Thread side: arrive, wait for the release, depart, and run only once the release is complete.
void barrier_pass();
// Main side: wait until every thread has arrived.
void barrier_wait_all_parked();
// Main side: release the parked threads and wait until all of them have left.
void barrier_release();
