#include "platform/clock.h"

#include <cerrno>
#include <ctime>

uint64_t now_us() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

void sleep_ms(int ms) {
    if (ms <= 0) return;
    timespec left{ms / 1000, long(ms % 1000) * 1000000L};
    // Signals cut the sleep short; go on sleeping for what is left.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool clock_works() {
    timespec resolution;
    timespec reading;
    if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return false;
    if (clock_gettime(CLOCK_MONOTONIC, &reading) != 0) return false;
    return resolution.tv_sec == 0 && resolution.tv_nsec <= 1000;
}
