#include "search/start_barrier.h"

StartBarrier start_barrier;

void barrier_init(int threads) {
    start_barrier.arrivals = start_barrier.departures = 0;
    start_barrier.thread_count = threads;
    event_reset(start_barrier.all_arrived);
    event_set(start_barrier.all_departed);
    event_reset(start_barrier.start);
}

// Either every thread is parked (a thread is about to join), or the threads re-park after a
// release that let one of them leave: then the last arrival may already be in, so its test is
// repeated here.
void barrier_set_thread_count(int threads) {
    StartBarrier& b = start_barrier;
    std::lock_guard<std::mutex> hold(b.barrier_lock);
    b.thread_count = threads;
    if (threads > 0 && b.arrivals == threads) {
        event_reset(b.all_departed);
        event_set(b.all_arrived);
    } else {
        event_reset(b.all_arrived);
    }
}

void barrier_pass() {
    StartBarrier& b = start_barrier;
    {
        std::lock_guard<std::mutex> hold(b.barrier_lock);
        if (++b.arrivals == b.thread_count) {
            event_reset(b.all_departed);
            event_set(b.all_arrived);
        }
    }
    event_wait(b.start);
    {
        std::lock_guard<std::mutex> hold(b.barrier_lock);
        if (++b.departures == b.thread_count) {
            event_reset(b.all_arrived);
            event_set(b.all_departed);
        }
    }
    // The main thread holds this lock until the release is complete.
    std::lock_guard<std::mutex> hold(b.start_lock);
}

void barrier_wait_all_parked() { event_wait(start_barrier.all_arrived); }

void barrier_release() {
    StartBarrier& b = start_barrier;
    event_wait(b.all_arrived);
    std::lock_guard<std::mutex> hold(b.start_lock);
    {
        std::lock_guard<std::mutex> counts(b.barrier_lock);
        b.arrivals = b.departures = 0;
    }
    event_set(b.start);
    event_wait(b.all_departed);
    event_reset(b.start);
}
