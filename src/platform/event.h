// A manual-reset event: once set it releases every waiter, now and later, until it is reset.
#pragma once

#include <condition_variable>
#include <mutex>

struct Event {
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
};

void event_set(Event& event);
void event_reset(Event& event);
// Returns at once when the event is set; otherwise waits until it is.
void event_wait(Event& event);
