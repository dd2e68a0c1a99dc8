#include "platform/event.h"

void event_set(Event& event) {
    {
        std::lock_guard<std::mutex> hold(event.mutex);
        event.signalled = true;
    }
    event.changed.notify_all();
}

void event_reset(Event& event) {
    std::lock_guard<std::mutex> hold(event.mutex);
    event.signalled = false;
}

void event_wait(Event& event) {
    std::unique_lock<std::mutex> hold(event.mutex);
    event.changed.wait(hold, [&] { return event.signalled; });
}
