// Time as the engine measures it: a monotonic clock in microseconds, and sleeping.
#pragma once

#include <cstdint>

// Microseconds since an arbitrary fixed point; never goes backwards.
uint64_t now_us();
// Sleeps at least `ms` milliseconds (nothing for ms <= 0).
void sleep_ms(int ms);
// Whether the monotonic clock can be read and has at least microsecond resolution.
bool clock_works();
